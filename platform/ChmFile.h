#pragma once
// Read access to a compiled HTML help file (.chm): its pages, pictures and style sheets
// by path, and the facts its compiler recorded (default topic, title, contents file).

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

struct chmFile;

namespace vb {

// One line of a help file's table of contents: its text, the page it opens ("" for a
// heading without a page) and its depth (0 at the top).
struct ContentsEntry {
    QString Name;
    QString Local;
    int Level = 0;
};

// The entries of a contents file (.hhc, an HTML list of "text/sitemap" objects), in order.
std::vector<ContentsEntry> ParseContents(const QByteArray& hhc);

class ChmFile {
public:
    // Opens the file; returns nullptr when it is missing or not a help file.
    static std::unique_ptr<ChmFile> Open(const QString& path);
    ~ChmFile();
    ChmFile(const ChmFile&) = delete;
    ChmFile& operator=(const ChmFile&) = delete;

    QString Path() const { return path_; }
    // The bytes stored under `name` ("new pictures.htm", "/images/a.png", "a\\b.htm";
    // letter case does not matter), or nothing when there is no such object.
    std::optional<QByteArray> Read(const QString& name) const;
    bool Contains(const QString& name) const;

    // As the project file named them; empty when the compiler recorded none.
    QString DefaultTopic() const { return defaultTopic_; }
    QString Title() const { return title_; }
    QString ContentsFile() const { return contentsFile_; }

    // The path inside the file for a page name: leading "/", forward slashes.
    static QString ObjectPath(const QString& name);

private:
    ChmFile(chmFile* handle, const QString& path);
    void ReadSystemRecords();

    chmFile* handle_;
    QString path_;
    QString defaultTopic_, title_, contentsFile_;
};

} // namespace vb
