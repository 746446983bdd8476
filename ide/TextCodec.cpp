#include "ide/TextCodec.h"

#include "output/Encoding.h"

QString FromCp1251(std::string_view bytes) {
    const std::string utf8 = Cp1251ToUtf8(bytes);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToCp1251(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return Utf8ToCp1251(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

std::string NormaliseLineBreaks(std::string_view bytes, bool& pendingCR) {
    std::string out;
    out.reserve(bytes.size() + 1);
    for (const char c : bytes) {
        if (pendingCR) {
            pendingCR = false;
            out += '\n';
            if (c == '\n')
                continue;
        }
        if (c == '\r')
            pendingCR = true;
        else
            out += c;
    }
    return out;
}

QString CoreTextToWidget(std::string_view bytes) {
    bool pendingCR = false;
    std::string text = NormaliseLineBreaks(bytes, pendingCR);
    if (pendingCR)
        text += '\n';
    return FromCp1251(text);
}

// QTextDocument keeps paragraph separators (U+2029) in its raw text; a plain "\n" or a
// line separator (U+2028) may come from pasted text.
std::string WidgetTextToCore(const QString& rawText, std::string_view lineBreak) {
    const QString breakText = QString::fromLatin1(lineBreak.data(), qsizetype(lineBreak.size()));
    QString text;
    text.reserve(rawText.size() + rawText.size() / 16);
    for (const QChar c : rawText) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator || c == u'\n')
            text += breakText;
        else
            text += c;
    }
    return ToCp1251(text);
}
