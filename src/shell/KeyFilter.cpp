#include "shell/KeyFilter.h"

namespace shell {

namespace {
std::function<void()>& beep_handler() {
    static std::function<void()> handler;
    return handler;
}
} // namespace

void Beep() {
    if (beep_handler())
        beep_handler()();
}

void Set_Beep_Handler(std::function<void()> handler) {
    beep_handler() = std::move(handler);
}

ushort Filter_Key(ushort key, const QString& allowed, bool allow_backspace) {
    QString set = allowed.toUpper();
    if (allow_backspace)
        set += QChar(8);
    const QString typed = QString(QChar(key)).toUpper();
    if (key != 0 && set.contains(typed, Qt::CaseInsensitive))
        return key;
    Beep();
    return 0;
}

} // namespace shell
