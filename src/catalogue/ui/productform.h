#pragma once
// The window layout shared by the add and modify dialogs: the product's boxes, the picture
// preview with its Browse button, the introduction text and the two buttons.
#include "catalogue/products.h"

#include <QDialog>
#include <QImage>
#include <QWidget>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace marvono {

class XPContainer;

// The preview box: holds one image and draws it stretched to 100 x 100 pixels at its top-left corner.
class PicturePreview : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kSide = 100;
    explicit PicturePreview(QWidget* parent = nullptr);
    // What the box shows, as it is saved: always kSide x kSide.
    QImage image() const { return m_image; }
    void setImage(const QImage& image);
    // The image shown before any picture is chosen.
    static QImage placeholder();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage m_image;
};

class ProductForm : public QDialog {
    Q_OBJECT
  public:
    // `parent` is the main window: the form opens centred over it and stays in front of it.
    ProductForm(QWidget* parent, const QString& objectName, const QString& windowCaption, const QString& frameCaption,
                const QString& okCaption);

    ProductValues values() const;
    // The boxes' values with the two prices and two quantities in the stored form; nothing after
    // the operator was told which of them holds no number.
    std::optional<ProductValues> checkedValues() const;
    void setValues(const ProductValues& values);
    // The multi-line box shows CR LF as line breaks and gives them back as CR LF.
    QString commentText() const;
    void setCommentText(const QString& text);

  protected:
    // Fills the category list from the catalogue.
    void loadCategories();
    // Fills the Tax list with the shop's rates and selects `rateId` (0: the default).
    void loadTaxRates(qint64 rateId);
    // The OK button: stores the boxes (add or modify).
    virtual void commit() = 0;
    // The name is another product's: the box the add and the modify dialog both show.
    void warnDuplicateName();
    // Refuses the typed code as the add dialog refuses a name it holds already.
    void warnDuplicateCode();

    XPContainer* m_frame;
    QLineEdit* m_name;
    QComboBox* m_type;
    QLineEdit* m_inPrice;
    QLineEdit* m_allQty;
    QLineEdit* m_outPrice;
    QLineEdit* m_leastQty;
    QLineEdit* m_alert;
    QLineEdit* m_picturePath;
    QLineEdit* m_code; // txtCode
    QPushButton* m_browse;
    PicturePreview* m_preview;
    QPlainTextEdit* m_comment;
    QComboBox* m_tax; // cmbTax: the product's tax rate, disabled in a shop without rates
    QPushButton* m_ok;
    QPushButton* m_cancel;

  private:
    // The price and quantity boxes with their stored values and the names the operator is told.
    struct NumberBox {
        QLineEdit* box;
        QString ProductValues::*value;
        QString name;
    };
    QList<NumberBox> numberBoxes() const;
    void browse();
    static QString pictureFilterPairs();
};

} // namespace marvono
