#pragma once
// The help viewer's window: the pages of a compiled help file with their pictures and
// links, its table of contents, Back, Forward and Home, and Close (also Escape).

#include "ChmFile.h"

#include <QTextBrowser>
#include <QWidget>
#include <memory>

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace vb {

// A text browser whose pages, pictures and style sheets come out of a help file. Pages
// are addressed as "chm:/<path inside the file>".
class HelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    HelpBrowser(const ChmFile& chm, QWidget* parent);
    QVariant loadResource(int type, const QUrl& name) override;

    // The address of a page name such as "new pictures.htm" or "a/b.htm#part".
    static QUrl TopicUrl(const QString& topic);

protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;

private:
    const ChmFile& chm_;
    QUrl base_; // the page being shown, against which its relative links resolve
};

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    // A top-level window; it goes with its owner when the owner is destroyed.
    HelpWindow(std::unique_ptr<ChmFile> chm, QWidget* owner);

    // Shows a page of the file; false (and nothing changes) when the file has no such page.
    bool ShowTopic(const QString& topic);
    QString File() const { return chm_->Path(); }
    // The page shown, as its path inside the file without the leading "/".
    QString Topic() const;
    HelpBrowser* Browser() const { return browser_; }
    QTreeWidget* Contents() const { return contents_; }

private:
    void FollowLink(const QUrl& url);
    void PageChanged(const QUrl& url);
    void FillContents();

    std::unique_ptr<ChmFile> chm_;
    HelpBrowser* browser_;
    QTreeWidget* contents_;
    QPushButton* back_;
    QPushButton* forward_;
};

} // namespace vb
