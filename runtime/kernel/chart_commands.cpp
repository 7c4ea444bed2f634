#include "runtime/kernel/chart_commands.h"

#include "image/calls/chart_text.h"
#include "runtime/chart/chart_view.h"
#include "runtime/files/native_path.h"
#include "runtime/kernel/runtime.h"
#include "runtime/ui/window_manager.h"

namespace pcshop::kernel {

using calls::Logical;
using calls::ValueTriple;
using image::KernelCommand;

std::optional<ValueTriple> ChartCommand(Runtime& rt, KernelCommand command,
                                        const CommandArguments& a) {
  switch (command) {
    case KernelCommand::kShowChart: {
      // ShowChart(object of the host control, chart text)
      const std::optional<calls::ChartData> chart = calls::DecodeChart(a.Text(1));
      ui::WindowManager* windows = rt.windows();
      if (!chart || windows == nullptr || a.size() < 2) return Logical(false);
      QWidget* host = windows->Widget({a[0].low, a[0].high});
      if (host == nullptr) return Logical(false);
      chart::ShowChartIn(*host, *chart);
      return Logical(true);
    }
    case KernelCommand::kSaveChartPicture: {
      // SaveChartPicture(chart text, path, width, height)
      const std::optional<calls::ChartData> chart = calls::DecodeChart(a.Text(0));
      if (!chart) return Logical(false);
      const Result<std::filesystem::path> path = files::ToNativePath(a.Text(1));
      if (!path.ok()) return Logical(false);
      return Logical(chart::WriteChartPicture(*chart, *path, a.Int(2), a.Int(3)).ok());
    }
    default: return std::nullopt;
  }
}

}  // namespace pcshop::kernel
