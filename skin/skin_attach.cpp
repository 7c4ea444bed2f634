// SkinAttachRes: applies the application's skin, a Qt style sheet in UTF-8,
// to the running application. Returns 0 when applied; 1 when there is no
// application to skin, 2 when the bytes are missing or not UTF-8. The text
// and the three integers are accepted and not used.

#include <QApplication>
#include <QByteArrayView>
#include <QStringDecoder>
#include <cstdint>

namespace {

enum SkinResult : int32_t { kApplied = 0, kNoApplication = 1, kBadSkin = 2 };

}  // namespace

extern "C" __attribute__((visibility("default"))) int32_t SkinAttachRes(
    const void* bytes, int32_t length, const char* /*text*/, int32_t /*a*/, int32_t /*b*/,
    int32_t /*c*/) {
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (app == nullptr) return kNoApplication;
  if (bytes == nullptr || length < 0) return kBadSkin;
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString sheet =
      decoder.decode(QByteArrayView(static_cast<const char*>(bytes), length));
  if (decoder.hasError()) return kBadSkin;
  app->setStyleSheet(sheet);
  return kApplied;
}
