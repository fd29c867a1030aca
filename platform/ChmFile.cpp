#include "ChmFile.h"

#include <QFile>
#include <QRegularExpression>
#include <chm_lib.h>

namespace vb {

namespace {
QString DecodeEntities(QString s) {
    s.replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&#39;"), QLatin1String("'"))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
    return s;
}
} // namespace

std::vector<ContentsEntry> ParseContents(const QByteArray& hhc) {
    static const QRegularExpression token(
        QStringLiteral(R"re(<\s*(/?)\s*ul\b[^>]*>|(<object\b[^>]*>(.*?)</object\s*>))re"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression param(
        QStringLiteral(R"re(<param\s+name\s*=\s*"([^"]*)"\s+value\s*=\s*"([^"]*)")re"),
        QRegularExpression::CaseInsensitiveOption);
    std::vector<ContentsEntry> entries;
    int depth = 0;
    const QString text = QString::fromLatin1(hhc);
    for (auto it = token.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.capturedStart(2) < 0) { // <ul> or </ul>
            depth += m.captured(1).isEmpty() ? 1 : -1;
            continue;
        }
        ContentsEntry e;
        e.Level = std::max(0, depth - 1);
        for (auto p = param.globalMatch(m.captured(3)); p.hasNext();) {
            const QRegularExpressionMatch pm = p.next();
            const QString name = pm.captured(1).toLower();
            if (name == QLatin1String("name") && e.Name.isEmpty())
                e.Name = DecodeEntities(pm.captured(2));
            else if (name == QLatin1String("local"))
                e.Local = DecodeEntities(pm.captured(2));
        }
        if (!e.Name.isEmpty()) entries.push_back(e);
    }
    return entries;
}

std::unique_ptr<ChmFile> ChmFile::Open(const QString& path) {
    if (path.isEmpty()) return nullptr;
    chmFile* h = chm_open(QFile::encodeName(path).constData());
    if (!h) return nullptr;
    std::unique_ptr<ChmFile> file(new ChmFile(h, path));
    file->ReadSystemRecords();
    return file;
}

ChmFile::ChmFile(chmFile* handle, const QString& path) : handle_(handle), path_(path) {}

ChmFile::~ChmFile() {
    chm_close(handle_);
}

QString ChmFile::ObjectPath(const QString& name) {
    QString p = name;
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!p.startsWith(QLatin1Char('/'))) p.prepend(QLatin1Char('/'));
    return p;
}

std::optional<QByteArray> ChmFile::Read(const QString& name) const {
    const QString path = ObjectPath(name);
    // A directory entry holds no bytes of its own.
    if (path.endsWith(QLatin1Char('/'))) return std::nullopt;
    chmUnitInfo ui{};
    if (chm_resolve_object(handle_, path.toUtf8().constData(), &ui) != CHM_RESOLVE_SUCCESS)
        return std::nullopt;
    QByteArray bytes(qsizetype(ui.length), Qt::Uninitialized);
    if (ui.length == 0) return bytes;
    const LONGINT64 got = chm_retrieve_object(
        handle_, &ui, reinterpret_cast<unsigned char*>(bytes.data()), 0, LONGINT64(ui.length));
    if (got != LONGINT64(ui.length)) return std::nullopt;
    return bytes;
}

bool ChmFile::Contains(const QString& name) const {
    const QString path = ObjectPath(name);
    if (path.endsWith(QLatin1Char('/'))) return false;
    chmUnitInfo ui{};
    return chm_resolve_object(handle_, path.toUtf8().constData(), &ui) == CHM_RESOLVE_SUCCESS;
}

void ChmFile::ReadSystemRecords() {
    // "/#SYSTEM": a 4-byte version, then records of a 16-bit code, a 16-bit length and
    // the data, little-endian. Codes 0, 2 and 3 hold zero-terminated texts.
    const std::optional<QByteArray> sys = Read(QStringLiteral("/#SYSTEM"));
    if (!sys) return;
    const auto* b = reinterpret_cast<const uint8_t*>(sys->constData());
    const qsizetype n = sys->size();
    for (qsizetype p = 4; p + 4 <= n;) {
        const int code = b[p] | (b[p + 1] << 8);
        const qsizetype len = b[p + 2] | (b[p + 3] << 8);
        p += 4;
        if (p + len > n) break;
        QByteArray text(reinterpret_cast<const char*>(b + p), len);
        if (const qsizetype zero = text.indexOf('\0'); zero >= 0) text.truncate(zero);
        switch (code) {
        case 0:
            contentsFile_ = QString::fromLatin1(text);
            break;
        case 2:
            defaultTopic_ = QString::fromLatin1(text);
            break;
        case 3:
            title_ = QString::fromLatin1(text);
            break;
        default:
            break;
        }
        p += len;
    }
}

} // namespace vb
