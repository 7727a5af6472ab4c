#include "app/visible_text.h"

namespace twinsift {

QString withVisibleControls(QString text) {
    for (QChar& c : text) {
        const char16_t code = c.unicode();
        if (code < 0x20)
            c = QChar(char16_t(0x2400 + code));
        else if (code == 0x7F)
            c = QChar(char16_t(0x2421)); // DEL
        else if (code == 0x85 || code == 0x2028 || code == 0x2029)
            c = QChar(char16_t(0x2424)); // line breaks of their own
    }
    return text;
}

} // namespace twinsift
