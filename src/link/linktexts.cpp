#include "linktexts.h"

namespace vantelso {

QString DescribePortProblem(const PortProblem& p, const LinkTexts& t) {
    switch (p.kind) {
    case PortProblem::Kind::None:
        return {};
    case PortProblem::Kind::NotChosen:
        return t.noPortChosen;
    case PortProblem::Kind::Missing:
        return t.portMissing.arg(p.port);
    case PortProblem::Kind::CannotOpen:
        return t.portCannotOpen.arg(p.port, p.detail);
    case PortProblem::Kind::Busy:
        return t.portBusy.arg(p.port);
    case PortProblem::Kind::NeedsGroup:
        return t.portNeedsGroup.arg(p.port, p.group);
    case PortProblem::Kind::PermissionDenied:
        return t.portPermissionDenied.arg(p.port, p.owner, p.mode);
    case PortProblem::Kind::Disconnected:
        return t.portDisconnected.arg(p.port);
    }
    return {};
}

} // namespace vantelso
