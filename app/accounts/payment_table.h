#pragma once
// The payments table "\DATA\收付款.zdb", opened as "收付款": one record per
// payment received from (收款) or made to (付款) a name of the customer
// register. Fields 日期, 姓名, 类型, 金额, 方式, 备注; 金额 in whole yuan.

#include <cstdint>
#include <string>
#include <vector>

#include "image/calls/calls.h"

namespace pcshop::app {

std::vector<calls::FieldRecord> PaymentFields(calls::Calls& rt);

// Creates the table when its file is missing, then opens it; a file of
// another layout is left as it is (PaymentTableUsable says so).
void OpenPaymentTable(calls::Calls& rt);

// Whether the table has the payment layout; false, untouched, for another.
bool PaymentTableUsable(calls::Calls& rt);

// Makes the payments table current, pointer on record 1.
void SelectPaymentTable(calls::Calls& rt);

// One payment as the window enters it and the table keeps it.
struct Payment {
  std::string date, name, kind;
  int32_t amount = 0;
  std::string method, remark;

  friend bool operator==(const Payment&, const Payment&) = default;
};

// The payment at the record pointer of the current (payments) table.
Payment ReadPayment(calls::Calls& rt);

// The six values in field order; they point into `p`, which must outlive
// them.
std::vector<calls::ValueTriple> PaymentValues(calls::Calls& rt, const Payment& p);

}  // namespace pcshop::app
