#include "HelpWindow.h"

#include "Shell.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vb {

namespace {
const QString kScheme = QStringLiteral("chm");

bool IsWebAddress(const QUrl& url) {
    static const QStringList schemes{"http", "https", "ftp", "mailto"};
    return schemes.contains(url.scheme().toLower());
}
} // namespace

HelpBrowser::HelpBrowser(const ChmFile& chm, QWidget* parent) : QTextBrowser(parent), chm_(chm) {
    // Links are followed by the window, which keeps web addresses out of the browser.
    setOpenLinks(false);
}

QUrl HelpBrowser::TopicUrl(const QString& topic) {
    QString page = topic;
    QString fragment;
    if (const qsizetype hash = page.indexOf(QLatin1Char('#')); hash >= 0) {
        fragment = page.mid(hash + 1);
        page.truncate(hash);
    }
    QUrl url;
    url.setScheme(kScheme);
    url.setPath(ChmFile::ObjectPath(page), QUrl::DecodedMode);
    if (!fragment.isEmpty()) url.setFragment(fragment);
    return url;
}

void HelpBrowser::doSetSource(const QUrl& name, QTextDocument::ResourceType type) {
    base_ = name;
    QTextBrowser::doSetSource(name, type);
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
    const QUrl url = name.isRelative() ? base_.resolved(name) : name;
    if (url.scheme() != kScheme) return {}; // nothing is fetched from the web
    const std::optional<QByteArray> bytes = chm_.Read(url.path(QUrl::FullyDecoded));
    if (!bytes) return {};
    return *bytes;
}

HelpWindow::HelpWindow(std::unique_ptr<ChmFile> chm, QWidget* owner)
    : QWidget(owner, Qt::Window), chm_(std::move(chm)) {
    setAttribute(Qt::WA_DeleteOnClose);
    if (QFile::exists(QStringLiteral(":/icon/icon48.png")))
        setWindowIcon(QIcon(QStringLiteral(":/icon/icon48.png")));

    back_ = new QPushButton(tr("Back"), this);
    forward_ = new QPushButton(tr("Forward"), this);
    auto* home = new QPushButton(tr("Home"), this);
    // Without a window manager there is no title bar to close the window from.
    auto* close = new QPushButton(tr("Close"), this);
    for (QPushButton* b : {back_, forward_, home, close}) b->setFocusPolicy(Qt::NoFocus);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    back_->setEnabled(false);
    forward_->setEnabled(false);

    contents_ = new QTreeWidget(this);
    contents_->setHeaderHidden(true);
    contents_->setRootIsDecorated(false);
    browser_ = new HelpBrowser(*chm_, this);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(contents_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({240, 540});

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back_);
    buttons->addWidget(forward_);
    buttons->addWidget(home);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);

    connect(back_, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward_, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(home, &QPushButton::clicked, this, [this] { ShowTopic(chm_->DefaultTopic()); });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QWidget::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QWidget::setEnabled);
    connect(browser_, &QTextBrowser::anchorClicked, this, &HelpWindow::FollowLink);
    connect(browser_, &QTextBrowser::sourceChanged, this, &HelpWindow::PageChanged);
    connect(contents_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        const QString page = item->data(0, Qt::UserRole).toString();
        if (!page.isEmpty()) ShowTopic(page);
    });
    FillContents();

    // A comfortable reading size, centred on the screen it fits.
    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->availableGeometry()
                             : QRect(0, 0, 1024, 768);
    const QSize size(std::min(800, screen.width() - 40), std::min(600, screen.height() - 60));
    setGeometry(QRect(screen.center() - QPoint(size.width() / 2, size.height() / 2), size));
}

bool HelpWindow::ShowTopic(const QString& topic) {
    const QUrl url = HelpBrowser::TopicUrl(topic);
    if (!chm_->Contains(url.path(QUrl::FullyDecoded))) return false;
    browser_->setSource(url, QTextDocument::HtmlResource);
    return true;
}

QString HelpWindow::Topic() const {
    return browser_->source().path(QUrl::FullyDecoded).mid(1);
}

void HelpWindow::FollowLink(const QUrl& url) {
    if (IsWebAddress(url)) {
        ShellExecuteA(this, QStringLiteral("open"), url.toString(), QString(), QString(),
                      SW_SHOWNORMAL);
        return;
    }
    if (url.scheme() != kScheme) return;
    if (chm_->Contains(url.path(QUrl::FullyDecoded)))
        browser_->setSource(url, QTextDocument::HtmlResource);
}

void HelpWindow::PageChanged(const QUrl& url) {
    QString title = browser_->documentTitle().simplified();
    if (title.isEmpty()) title = chm_->Title();
    if (title.isEmpty()) title = QFileInfo(chm_->Path()).completeBaseName();
    setWindowTitle(title);

    // Mark the page in the contents, when it is listed there.
    const QString page = url.path(QUrl::FullyDecoded).mid(1);
    contents_->clearSelection();
    for (QTreeWidgetItemIterator it(contents_); *it; ++it) {
        const QString local = (*it)->data(0, Qt::UserRole).toString();
        if (local.isEmpty()) continue;
        const QString listed = HelpBrowser::TopicUrl(local).path(QUrl::FullyDecoded).mid(1);
        if (listed.compare(page, Qt::CaseInsensitive) == 0) {
            contents_->setCurrentItem(*it);
            break;
        }
    }
}

void HelpWindow::FillContents() {
    std::vector<ContentsEntry> entries;
    if (!chm_->ContentsFile().isEmpty())
        if (const std::optional<QByteArray> hhc = chm_->Read(chm_->ContentsFile()))
            entries = ParseContents(*hhc);
    std::vector<QTreeWidgetItem*> parents; // the last item at each depth
    for (const ContentsEntry& e : entries) {
        const int level = std::min<int>(e.Level, int(parents.size()));
        parents.resize(size_t(level));
        auto* item =
            level == 0 ? new QTreeWidgetItem(contents_) : new QTreeWidgetItem(parents.back());
        item->setText(0, e.Name);
        item->setData(0, Qt::UserRole, e.Local);
        parents.push_back(item);
    }
    contents_->expandAll();
    contents_->setVisible(!entries.empty());
}

} // namespace vb
