#pragma once
// The clock the tests set: Clock::now() answers a date and time of the test's choice.
#include <QDateTime>
#include <functional>

namespace marvono::test {

// Clock::now() answers `source` from now on; an empty function restores the system clock.
void setClock(std::function<QDateTime()> source);

} // namespace marvono::test
