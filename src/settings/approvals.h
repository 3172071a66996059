#pragma once
// An owner's approval of one command for an operator without the owner's rights, checked by the
// owner's name and password and recorded with what it approved. No widgets.
#include <QList>
#include <QString>

namespace marvono {

enum class ApprovalCheck {
    Approved,
    NotAnOwner, // the name and password are nobody's, or not an owner's
    Failed,     // the account could not be read, or the approval not recorded
};

// Checks the typed owner's name and password as the login does and, when they are an owner's,
// records that `approver` allowed `what` to the operator logged in now (runValues().currentUser).
ApprovalCheck approve(const QString& typedOwner, const QString& typedPassword, const QString& what,
                      QString* error = nullptr);

struct Approval {
    QString time; // as stored: "yyyy-MM-dd HH:mm:ss"
    QString operatorName;
    QString approver;
    QString what;
};

// Every approval recorded, oldest first; empty when none can be read.
QList<Approval> readApprovals();

} // namespace marvono
