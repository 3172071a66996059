#include "controls/ui/shopwindow.h"

namespace marvono {

namespace {
ShopWindow* g_current = nullptr;
} // namespace

ShopWindow::ShopWindow()
{
    g_current = this;
}

ShopWindow::~ShopWindow()
{
    if (g_current == this)
        g_current = nullptr;
}

ShopWindow* ShopWindow::current()
{
    return g_current;
}

} // namespace marvono
