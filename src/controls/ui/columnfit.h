#pragma once
// Column widths that show every header and cell text of a list in full.
class QTreeView;

namespace marvono {

// Sizes each column to its header and to the cells on show. When the columns then fit beside
// each other the headers stay one line; otherwise the headers wrap to two lines, which lets most
// columns narrow to their cells, and the list scrolls sideways for what is left.
void fitColumns(QTreeView* view);

// fitColumns now and again after every change of the view's model (coalesced per event loop
// turn, so filling thousands of rows costs one fit).
void keepColumnsFitted(QTreeView* view);

} // namespace marvono
