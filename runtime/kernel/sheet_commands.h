#pragma once
// The commands of xlsbridge that read a price list: a file read whole when
// opened, then its rows and cells asked one by one as GBK texts. Messages
// for the user come back in GBK.

#include "image/calls/value_triple.h"
#include "image/commands.h"
#include "runtime/kernel/command_arguments.h"

namespace pcshop::kernel {

class Runtime;

bool IsSheetCommand(image::LibraryCommand command);
calls::ValueTriple SheetCommand(Runtime& rt, image::LibraryCommand command,
                                const CommandArguments& a);

}  // namespace pcshop::kernel
