#pragma once
// The commands of the spreadsheet support library xlsbridge: a workbook of
// header lines, typed columns and rows, saved as .xlsx or CSV. A workbook
// travels as a value of the library's workbook type (its number, 0, the
// type identifier 0x30002); a plain integer names it too.

#include "image/calls/value_triple.h"
#include "image/commands.h"
#include "runtime/kernel/command_arguments.h"

namespace pcshop::kernel {

class Runtime;

calls::ValueTriple WorkbookCommand(Runtime& rt, image::LibraryCommand command,
                                   const CommandArguments& a);

}  // namespace pcshop::kernel
