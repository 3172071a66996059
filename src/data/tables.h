#pragma once
// Where each column of the shop's five tables stands in "select * from TABLE", in either engine
// (the hidden row key is never among them). Code that reads or writes whole rows of these tables
// names the columns from here.

namespace marvono {

// product_info. The product's code (its barcode) is kept in cSpare.
enum ProductColumn {
    ProductName,      // cName
    ProductCost,      // cInPrice, the purchase price
    ProductBought,    // cAllQty, the units bought in all
    ProductPrice,     // cOutPrice, the retail price
    ProductRemaining, // cLeastQty, the units in stock
    ProductCode,      // cSpare
    ProductType,      // cType
    ProductPicture,   // cPic
    ProductComment,   // cComment
    ProductAlert      // cAlert, the low-stock level
};

// Bill: one line of a buyer's running bill.
enum BillColumn { BillTime, BillBuyer, BillProduct, BillQuantity, BillPrice, BillSubTotal };

// PanDian: one product's sales of one day.
enum LedgerColumn { LedgerName, LedgerPrice, LedgerCost, LedgerQuantity, LedgerDay, LedgerMonth, LedgerYear };

// user_info and change.
enum UserColumn { UserName, UserPassword };
enum ChangeColumn { ChangeDate, ChangeName };

} // namespace marvono
