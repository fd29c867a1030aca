#include "Shell.h"

#include <QDesktopServices>
#include <QFileInfo>

namespace vb {

namespace {
std::function<bool(const QUrl&)>& opener() {
    static std::function<bool(const QUrl&)> o;
    return o;
}

QList<QByteArray>& ownSettings() {
    static QList<QByteArray> names;
    return names;
}

// A web address or mail link, as opposed to a path.
bool IsAddress(const QString& file) {
    static const QStringList schemes{"http", "https", "ftp", "mailto", "file"};
    const QUrl url(file, QUrl::StrictMode);
    return url.isValid() && schemes.contains(url.scheme().toLower());
}
} // namespace

int32_t ShellExecuteA(QWidget* owner, const QString& operation, const QString& file,
                      const QString& parameters, const QString& directory, int32_t showCmd) {
    Q_UNUSED(owner);
    Q_UNUSED(parameters);
    Q_UNUSED(directory);
    Q_UNUSED(showCmd);
    if (!operation.isEmpty() && operation.compare(QLatin1String("open"), Qt::CaseInsensitive) != 0)
        return SE_ERR_NOASSOC;
    QUrl url;
    if (IsAddress(file)) {
        url = QUrl(file);
    } else {
        if (file.isEmpty() || !QFileInfo::exists(file)) return SE_ERR_FNF;
        url = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath());
    }
    const bool opened = opener() ? opener()(url) : QDesktopServices::openUrl(url);
    return opened ? SE_SUCCESS : SE_ERR_NOASSOC;
}

void SetForOwnStartup(const char* name, const char* value) {
    if (qEnvironmentVariableIsSet(name)) return;
    qputenv(name, value);
    ownSettings() << name;
}

void ForgetOwnSettings() {
    for (const QByteArray& name : ownSettings()) qunsetenv(name.constData());
    ownSettings().clear();
}

void SetShellOpener(std::function<bool(const QUrl&)> o) {
    opener() = std::move(o);
}

} // namespace vb
