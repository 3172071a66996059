#include "support/testclock.h"

#include "app/appcontext.h"

#include <utility>

namespace marvono::test {
namespace {

class FunctionClock final : public TimeSource {
  public:
    QDateTime now() const override { return source(); }
    std::function<QDateTime()> source;
};

FunctionClock& testClock()
{
    static FunctionClock clock;
    return clock;
}

} // namespace

void setClock(std::function<QDateTime()> source)
{
    testClock().source = std::move(source);
    Clock::setSource(testClock().source ? &testClock() : nullptr);
}

} // namespace marvono::test
