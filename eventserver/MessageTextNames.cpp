#include "eventserver/MessageTextNames.h"

std::u16string MessageTextName(uint32_t language) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), u"0123456789ABCDEF"[language & 0xF]);
        language >>= 4;
    } while (language != 0);
    if (digits.size() < 4) digits.insert(0, 4 - digits.size(), u'0');
    return u"MSG" + digits;
}

std::u16string PrimaryLanguageForm(std::u16string name) {
    if (name.size() > 4) name[4] = u'0';
    return name;
}
