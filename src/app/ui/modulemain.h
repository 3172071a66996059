#pragma once
// The program's entry: one running copy, the help file, then the login window.
#include <QString>

namespace marvono {

class LoginWindow;

inline constexpr char kInstanceLockName[] = "marvono";

// Starts the program: nothing (and no window, no message) when another copy holds the instance
// lock `lockName`, which is asked to bring its window to the front; otherwise the lock is kept for
// the rest of the process, later starts are answered, the help file is registered and the login
// window is loaded and shown, not modal.
LoginWindow* startProgram(const QString& lockName = QString::fromLatin1(kInstanceLockName));

} // namespace marvono
