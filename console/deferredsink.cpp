#include "console/deferredsink.h"

#include <QMetaObject>

namespace tidrun {

void TDeferredSink::Show(Kind kind, const QString& text) {
    QMetaObject::invokeMethod(
        this, [this, kind, text] { target_.Show(kind, text); }, Qt::QueuedConnection);
}

}  // namespace tidrun
