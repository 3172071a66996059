#include "settings/approvals.h"

#include "app/appcontext.h"
#include "app/text.h"
#include "data/database.h"
#include "data/engine.h"
#include "data/recordset.h"
#include "settings/login.h"

namespace marvono {

ApprovalCheck approve(const QString& typedOwner, const QString& typedPassword, const QString& what, QString* error)
{
    bool owner = false;
    switch (checkLogin(typedOwner, typedPassword, &owner)) {
    case LoginCheck::Failure:
        setError(error, withServerFailure(QStringLiteral("The owner's account cannot be read.")));
        return ApprovalCheck::Failed;
    case LoginCheck::Invalid:
        return ApprovalCheck::NotAnOwner;
    case LoginCheck::Valid:
        break;
    }
    if (!owner)
        return ApprovalCheck::NotAnOwner;
    Engine* engine = Database::instance().engine(error);
    if (!engine ||
        !engine->execute(
            QStringLiteral("insert into marvono_approval (cTime, cOperator, cApprover, cWhat) "
                           "values (?, ?, ?, ?)"),
            {dateTimeText(Clock::now()), trimBlanks(runValues().currentUser), trimBlanks(typedOwner), what}, error))
        return ApprovalCheck::Failed;
    return ApprovalCheck::Approved;
}

QList<Approval> readApprovals()
{
    QList<Approval> approvals;
    auto set = ExecSQL(QStringLiteral("select cTime, cOperator, cApprover, cWhat from marvono_approval order by cId"));
    for (; set && !set->isEof(); set->moveNext())
        approvals.append({set->text(0), set->text(1), set->text(2), set->text(3)});
    return approvals;
}

} // namespace marvono
