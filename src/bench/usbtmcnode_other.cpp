// USBTMC device nodes exist only on Linux; other systems reach USB instruments through a
// socket or serial resource instead.
#include "usbtmcnode.h"

namespace vantelso::bench {

bool UsbTmcNode::open(const QString& path, QString* error) {
    if (error)
        *error = QStringLiteral("%1: USBTMC device nodes are available on Linux only").arg(path);
    return false;
}

void UsbTmcNode::close() {}

bool UsbTmcNode::setTimeout(int, QString*) {
    return false;
}

bool UsbTmcNode::write(const QByteArray&, QString*) {
    return false;
}

std::optional<QByteArray> UsbTmcNode::read(QString*) {
    return std::nullopt;
}

bool UsbTmcNode::clear(QString*) {
    return false;
}

} // namespace vantelso::bench
