#pragma once
// The main window as the README and guide pictures show it: the first product with a picture of
// its own selected, and one sale's receipt in the history pane.
namespace marvono {
class MainWindow;
void dressMainWindowForPicture(MainWindow* window);
} // namespace marvono
