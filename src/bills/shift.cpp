#include "bills/shift.h"

#include "app/appcontext.h"
#include "app/text.h"
#include "data/database.h"
#include "data/engine.h"
#include "data/recordset.h"

namespace marvono {

std::optional<Currency> readCashAmount(const QString& text)
{
    if (!isNumberText(text))
        return std::nullopt;
    const std::optional<Currency> amount = Currency::fromDouble(leadingNumber(text));
    if (!amount || amount->raw() < 0)
        return std::nullopt;
    return amount;
}

std::optional<bool> hasOpenShift(const QString& operatorName, QString* error)
{
    QString message;
    auto set = ExecSQL(QStringLiteral("select count(*) from marvono_shift where cOperator = ? and cClose is null"),
                       message, {trimBlanks(operatorName)});
    if (!set || set->isEof()) {
        setError(error, message);
        return std::nullopt;
    }
    return set->text(0).toLongLong() > 0;
}

bool openShift(const QString& operatorName, Currency cashFloat, QString* error)
{
    Engine* engine = Database::instance().engine(error);
    return engine && engine->execute(QStringLiteral("insert into marvono_shift (cOperator, cOpened, cFloat) values "
                                                    "(?, ?, ?)"),
                                     {trimBlanks(operatorName), dateTimeText(Clock::now()), cashFloat.toText()}, error);
}

} // namespace marvono
