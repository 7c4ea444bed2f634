// The pinyin code as the customer window makes it, through the real image
// offscreen: a name put into 编辑框客户姓名 and its code read back from
// 编辑框客户拼音码 (the text-changed handler asks the runtime for one
// character's reading at a time).
//
//  - BM_FirstCodeInTheWindow: the first code of the run, once; nothing in this
//    process has read pinyin before.
//  - BM_LaterCodeInTheWindow: later codes, alternating two names so that the
//    box really changes.
// The program folder is this benchmark's own folder; its data folder is
// removed at the end.

#include <benchmark/benchmark.h>

#include <functional>
#include <string>

#include "bench/support/app_session.h"
#include "runtime/ui/test_seam.h"

namespace pcshop {
namespace {

constexpr char kWindow[] = "窗口客户管理";
constexpr char kName[] = "编辑框客户姓名";
constexpr char kCode[] = "编辑框客户拼音码";

struct Context {
  ui::UserActions* user = nullptr;
};

bool PutName(benchmark::State& state, Context& ctx, const char* name, const char* code) {
  if (!ctx.user->SetText(kWindow, kName, name).ok()) {
    state.SkipWithError("no name box");
    return false;
  }
  ctx.user->ProcessEvents();
  if (ctx.user->Text(kWindow, kCode) != code) {
    state.SkipWithError("the code is not the expected one");
    return false;
  }
  return true;
}

void BM_FirstCodeInTheWindow(benchmark::State& state, Context& ctx) {
  for (auto _ : state) {
    if (!PutName(state, ctx, "张小明", "zxm")) break;
  }
}

void BM_LaterCodeInTheWindow(benchmark::State& state, Context& ctx) {
  bool other = false;
  for (auto _ : state) {
    if (!(other ? PutName(state, ctx, "李四", "ls") : PutName(state, ctx, "王小五", "wxw"))) break;
    other = !other;
  }
}

}  // namespace
}  // namespace pcshop

int main(int argc, char** argv) {
  using namespace pcshop;
  return bench::RunAppSession(argc, argv, "pinyin_window_bench", [](bench::AppSession& s) {
    Context ctx{s.user};
    const bool opened = s.user->Click("窗口配置单", "按钮客户管理").ok();
    s.user->ProcessEvents();
    if (!opened || !s.user->IsOpen(kWindow)) return false;
    benchmark::RegisterBenchmark("BM_FirstCodeInTheWindow", BM_FirstCodeInTheWindow, std::ref(ctx))
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_LaterCodeInTheWindow", BM_LaterCodeInTheWindow, std::ref(ctx))
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RunSpecifiedBenchmarks();
    return true;
  });
}
