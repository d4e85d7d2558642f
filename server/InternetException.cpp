#include "server/InternetException.h"

MStringEx<wchar_t> ErrorLocationText(const InternetException& failure)
{
    if (failure.code != 0)
        return MStringEx<wchar_t>(sX::Format(), L"UE%d.L%d.F%d", static_cast<int>(failure.code),
                                  static_cast<int>(failure.line), static_cast<int>(failure.step));
    return MStringEx<wchar_t>(sX::Format(), L"CE%d.F%d.L%d.F%d", static_cast<int>(failure.systemError),
                              static_cast<int>(failure.kind), static_cast<int>(failure.line),
                              static_cast<int>(failure.step));
}
