#include "host/runtime_folder_qt.h"

#include <QString>
#include <QtGlobal>

namespace qx {

namespace {

QtMessageHandler previousHandler = nullptr;

void Filter(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtWarningMsg && message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set"))) return;
  previousHandler(type, context, message);
}

}  // namespace

void QuietMissingRuntimeFolder() {
  if (!previousHandler) previousHandler = qInstallMessageHandler(Filter);
}

}  // namespace qx
