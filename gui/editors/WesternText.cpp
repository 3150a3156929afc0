#include "gui/editors/WesternText.h"

#include "core/text/TextCharacters.h"

#include <QList>
#include <array>

QString fromWestern(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char byte : bytes) {
        const char32_t character = Velvor::westernCharacter(static_cast<unsigned char>(byte));
        text.append(QString::fromUcs4(&character, 1));
    }
    return text;
}

std::string toWestern(const QString& text) {
    // Bytes 0x80..0xFF by the character they stand for; below that the code page is ASCII.
    static const std::array<char32_t, 128> upperHalf = [] {
        std::array<char32_t, 128> characters{};
        for (std::size_t i = 0; i < characters.size(); ++i) {
            characters[i] = Velvor::westernCharacter(static_cast<unsigned char>(0x80 + i));
        }
        return characters;
    }();

    std::string bytes;
    for (const uint character : text.toUcs4()) {
        char byte = '?';
        if (character > 0 && character < 0x80) {
            byte = static_cast<char>(character);
        } else {
            for (std::size_t i = 0; i < upperHalf.size(); ++i) {
                if (upperHalf[i] == character) {
                    byte = static_cast<char>(0x80 + i);
                    break;
                }
            }
        }
        bytes.push_back(byte);
    }
    return bytes;
}
