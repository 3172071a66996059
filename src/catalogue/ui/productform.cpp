#include "catalogue/ui/productform.h"

#include "app/appcontext.h"
#include "catalogue/taxrates.h"
#include "catalogue/ui/picturefiles.h"
#include "controls/ui/amountbox.h"
#include "controls/ui/dialogs.h"
#include "controls/ui/xpcontainer.h"

#include <QComboBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>

namespace marvono {
namespace {

constexpr int kWidth = 520;
constexpr int kHeight = 440;
constexpr int kLabelLeft = 16;
constexpr int kBoxLeft = 150;
constexpr int kBoxWidth = 170;
constexpr int kUnitLeft = 326;
constexpr int kFirstRow = 36;
constexpr int kRowStep = 28;
constexpr int kRowHeight = 22;

int rowTop(int row)
{
    return kFirstRow + row * kRowStep;
}

QLabel* addLabel(QWidget* parent, const QString& text, const QRect& place)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(place);
    return label;
}

QLineEdit* addBox(QWidget* parent, const QString& objectName, const QString& designText, int row)
{
    auto* box = new QLineEdit(designText, parent);
    box->setObjectName(objectName);
    box->setGeometry(kBoxLeft, rowTop(row), kBoxWidth, kRowHeight);
    return box;
}

} // namespace

PicturePreview::PicturePreview(QWidget* parent) : QWidget(parent), m_image(placeholder())
{
    setObjectName(QStringLiteral("picProduct"));
}

void PicturePreview::setImage(const QImage& image)
{
    if (image.isNull())
        return;
    m_image = image.scaled(kSide, kSide, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                  .convertToFormat(QImage::Format_RGB32);
    update();
}

QImage PicturePreview::placeholder()
{
    QImage image(kSide, kSide, QImage::Format_RGB32);
    image.fill(QColor(0xEE, 0xEE, 0xEE));
    QPainter painter(&image);
    painter.setPen(QColor(0xA0, 0xA0, 0xA0));
    painter.drawRect(0, 0, kSide - 1, kSide - 1);
    painter.drawLine(0, 0, kSide - 1, kSide - 1);
    painter.drawLine(0, kSide - 1, kSide - 1, 0);
    return image;
}

void PicturePreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(QRect(0, 0, kSide, kSide), m_image);
}

ProductForm::ProductForm(QWidget* parent, const QString& objectName, const QString& windowCaption,
                         const QString& frameCaption, const QString& okCaption)
    : QDialog(parent)
{
    setObjectName(objectName);
    setWindowTitle(windowCaption);
    setFixedSize(kWidth, kHeight);

    m_frame = new XPContainer(this, frameCaption);
    m_frame->setObjectName(QStringLiteral("XPContainer1"));
    m_frame->setGeometry(0, 0, kWidth, kHeight);
    m_frame->setTheme(runValues().themeIndex);

    const QStringList captions = {QStringLiteral("Product Name:"),   QStringLiteral("Product Category:"),
                                  QStringLiteral("Purchase Price:"), QStringLiteral("Purchase Quantity:"),
                                  QStringLiteral("Retail Price:"),   QStringLiteral("Remaining Quantity:"),
                                  QStringLiteral("Alert Quantity:"), QStringLiteral("Picture Path:")};
    for (int row = 0; row < captions.size(); ++row)
        addLabel(m_frame, captions[row], QRect(kLabelLeft, rowTop(row), kBoxLeft - kLabelLeft, kRowHeight));

    // The design texts show until a load replaces them.
    m_name = addBox(m_frame, QStringLiteral("txtName"), QStringLiteral("Name"), 0);
    m_type = new QComboBox(m_frame);
    m_type->setObjectName(QStringLiteral("cmbType"));
    m_type->setEditable(true);
    m_type->setInsertPolicy(QComboBox::NoInsert);
    m_type->setGeometry(kBoxLeft, rowTop(1), kBoxWidth, kRowHeight);
    m_inPrice = addBox(m_frame, QStringLiteral("txtInPrice"), QStringLiteral("Purchase Price"), 2);
    m_allQty = addBox(m_frame, QStringLiteral("txtAllQty"), QStringLiteral("Purchase Quantity"), 3);
    m_outPrice = addBox(m_frame, QStringLiteral("txtOutPrice"), QStringLiteral("Retail Price"), 4);
    m_leastQty = addBox(m_frame, QStringLiteral("txtLeastQty"), QStringLiteral("Remaining Quantity"), 5);
    m_alert = addBox(m_frame, QStringLiteral("txtAlert"), QStringLiteral("Alert Quantity"), 6);
    m_picturePath = addBox(m_frame, QStringLiteral("txtPic"), QString(), 7);
    for (const NumberBox& number : numberBoxes())
        guardAgainstScans(number.box, number.name);

    const QString symbol = runValues().currencySymbol;
    addLabel(m_frame, symbol, QRect(kUnitLeft, rowTop(2), 50, kRowHeight))
        ->setObjectName(QStringLiteral("lblCurrency1"));
    addLabel(m_frame, symbol, QRect(kUnitLeft, rowTop(4), 50, kRowHeight))
        ->setObjectName(QStringLiteral("lblCurrency2"));
    for (int row : {3, 5, 6})
        addLabel(m_frame, QStringLiteral("Unit(s)"), QRect(kUnitLeft, rowTop(row), 50, kRowHeight));

    m_browse = makeButton(m_frame, QStringLiteral("command1"), QStringLiteral("Browse"));
    m_browse->setGeometry(kUnitLeft, rowTop(7) - 1, 70, kRowHeight + 2);
    connect(m_browse, &QPushButton::clicked, this, &ProductForm::browse);

    m_preview = new PicturePreview(m_frame);
    m_preview->setGeometry(400, kFirstRow, PicturePreview::kSide, PicturePreview::kSide);
    auto* hint = addLabel(m_frame, QStringLiteral("Please use 100px * 100px image"),
                          QRect(400, kFirstRow + PicturePreview::kSide + 6, 110, 40));
    hint->setWordWrap(true);

    // Below the hint, clear of every designed control.
    addLabel(m_frame, QStringLiteral("Code:"), QRect(400, rowTop(6), 110, kRowHeight))
        ->setObjectName(QStringLiteral("lblCode"));
    m_code = new QLineEdit(m_frame);
    m_code->setObjectName(QStringLiteral("txtCode"));
    m_code->setGeometry(400, rowTop(7), 110, kRowHeight);
    m_code->setToolTip(QStringLiteral("The product's code, as a barcode scanner reads it; may stay empty"));
    setTabOrder(m_alert, m_code);
    setTabOrder(m_code, m_picturePath);

    m_comment = new QPlainTextEdit(m_frame);
    m_comment->setObjectName(QStringLiteral("txtComment"));
    m_comment->setGeometry(kLabelLeft, rowTop(8) + 6, kWidth - 2 * kLabelLeft, 118);
    setCommentText(QStringLiteral("Product Intro here\r\n"));

    // Left of the buttons, below every designed control.
    addLabel(m_frame, QStringLiteral("Tax:"), QRect(kLabelLeft, kHeight - 37, 40, kRowHeight))
        ->setObjectName(QStringLiteral("lblTax"));
    m_tax = new QComboBox(m_frame);
    m_tax->setObjectName(QStringLiteral("cmbTax"));
    m_tax->setGeometry(kLabelLeft + 40, kHeight - 37, 200, kRowHeight);
    m_tax->setToolTip(QStringLiteral("The tax rate the product is sold at"));
    loadTaxRates(0);

    m_ok = makeButton(m_frame, QStringLiteral("cmdOK"), okCaption);
    m_ok->setGeometry(kWidth - 2 * 100 - kLabelLeft, kHeight - 40, 90, 28);
    connect(m_ok, &QPushButton::clicked, this, [this]() { commit(); });
    m_cancel = makeButton(m_frame, QStringLiteral("cmdCancel"), QStringLiteral(" Cancel"));
    m_cancel->setGeometry(kWidth - 100 - kLabelLeft, kHeight - 40, 90, 28);
    connect(m_cancel, &QPushButton::clicked, this, &QWidget::close);
    pressOnEscape(this, m_cancel);
}

ProductValues ProductForm::values() const
{
    ProductValues typed{m_name->text(),     m_inPrice->text(),  m_allQty->text(),
                        m_outPrice->text(), m_leastQty->text(), m_type->currentText(),
                        commentText(),      m_alert->text(),    m_code->text()};
    if (m_tax->isEnabled())
        typed.taxRate = m_tax->currentData().toLongLong();
    return typed;
}

QList<ProductForm::NumberBox> ProductForm::numberBoxes() const
{
    return {{m_inPrice, &ProductValues::inPrice, QStringLiteral("Purchase Price")},
            {m_allQty, &ProductValues::allQty, QStringLiteral("Purchase Quantity")},
            {m_outPrice, &ProductValues::outPrice, QStringLiteral("Retail Price")},
            {m_leastQty, &ProductValues::leastQty, QStringLiteral("Remaining Quantity")}};
}

std::optional<ProductValues> ProductForm::checkedValues() const
{
    // A text the number columns refuse would be stored empty: a price nobody sees sells at 0.
    ProductValues typed = values();
    for (const NumberBox& number : numberBoxes()) {
        const std::optional<QString> text = checkedNumber(number.box, number.name);
        if (!text)
            return std::nullopt;
        typed.*number.value = *text;
    }
    return typed;
}

void ProductForm::setValues(const ProductValues& values)
{
    m_name->setText(values.name);
    m_inPrice->setText(values.inPrice);
    m_allQty->setText(values.allQty);
    m_outPrice->setText(values.outPrice);
    m_leastQty->setText(values.leastQty);
    m_type->setEditText(values.type);
    setCommentText(values.comment);
    m_alert->setText(values.alert);
    m_code->setText(values.code);
}

QString ProductForm::commentText() const
{
    return m_comment->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

void ProductForm::setCommentText(const QString& text)
{
    m_comment->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void ProductForm::loadCategories()
{
    m_type->clear();
    m_type->addItems(productCategories());
    m_type->setCurrentIndex(-1);
    m_type->setEditText(QString());
}

void ProductForm::loadTaxRates(qint64 rateId)
{
    m_tax->clear();
    const QList<TaxRate> rates = readTaxRates().value_or(QList<TaxRate>());
    m_tax->setEnabled(!rates.isEmpty());
    if (rates.isEmpty()) {
        m_tax->addItem(QStringLiteral("No tax"), 0);
        return;
    }
    for (const TaxRate& rate : rates) {
        const QString title = QStringLiteral("%1 %2 %3%").arg(rate.code, rate.name, rate.percent);
        if (rate.isDefault)
            m_tax->insertItem(0, QStringLiteral("Default: ") + title, 0);
        m_tax->addItem(title, rate.id);
    }
    m_tax->setCurrentIndex(std::max(0, m_tax->findData(rateId)));
}

void ProductForm::warnDuplicateName()
{
    warn(this, QStringLiteral("Warning"), QStringLiteral("This product have been added already"));
}

void ProductForm::warnDuplicateCode()
{
    warn(this, QStringLiteral("Warning"),
         QStringLiteral("Another product has the code %1 already").arg(m_code->text()));
    m_code->setFocus();
    m_code->selectAll();
}

QString ProductForm::pictureFilterPairs()
{
    // Pictures are loaded by their content, so every format the image reader knows is offered
    // after the two designed ones.
    QStringList others;
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        const QString pattern = QStringLiteral("*.") + QString::fromLatin1(format).toLower();
        if (pattern != QStringLiteral("*.jpg") && pattern != QStringLiteral("*.gif") && !others.contains(pattern))
            others.append(pattern);
    }
    QString pairs = QStringLiteral("JPEG文件(*.jpg)|*.jpg|GIF文件(*.gif)|*.gif");
    if (!others.isEmpty())
        pairs += QStringLiteral("|Other pictures|") + others.join(QLatin1Char(';'));
    return pairs;
}

void ProductForm::browse()
{
    const QString path = chooseFile(this, FileDialogMode::Open, QStringLiteral("CommonDialog1"),
                                    QStringLiteral("选择图片"), pictureFilterPairs());
    if (path.isEmpty())
        return;
    m_picturePath->setText(path);
    // A file that is no picture leaves the preview as it was.
    m_preview->setImage(loadPicture(path));
}

} // namespace marvono
