#include "search/Simplified.h"

#include "search/Log.h"

#include <opencc/opencc.h>

#include <QMutex>

#include <algorithm>
#include <memory>

namespace qinglan {

namespace {

// One OpenCC handle for the process; closed at exit.
class Converter final {
public:
    Converter() : m_handle(opencc_open(OPENCC_DEFAULT_CONFIG_TRAD_TO_SIMP)) {
        if (!Opened())
            qCWarning(lcSearch) << "cannot open OpenCC; traditional text is used as it is";
    }
    ~Converter() {
        if (Opened())
            opencc_close(m_handle);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    QString Convert(const QString& text) {
        if (!Opened())
            return text;
        const QByteArray utf8 = text.toUtf8();
        const QMutexLocker lock(&m_mutex);
        char* converted = opencc_convert_utf8(m_handle, utf8.constData(), size_t(utf8.size()));
        if (converted == nullptr) {
            qCWarning(lcSearch) << "OpenCC cannot convert" << text << opencc_error();
            return text;
        }
        QString result = QString::fromUtf8(converted);
        opencc_convert_utf8_free(converted);
        return result;
    }

private:
    bool Opened() const {
        return m_handle != nullptr && m_handle != reinterpret_cast<opencc_t>(-1);
    }

    const opencc_t m_handle;
    QMutex m_mutex;
};

} // namespace

QString SimplifiedChinese(const QString& text) {
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; }))
        return text;
    static Converter converter;
    return converter.Convert(text);
}

} // namespace qinglan
