#pragma once

#include <QByteArray>
#include <QLibrary>
#include <QWidget>

// The thumbnail strip: a library loaded at run time from the program's
// folder, driven through exports looked up by name. A missing library or a
// missing export skips that call.
class ThumbnailStrip {
public:
    static const char* libraryFileName() { return "liborvthumbnail.so"; }

    // Loads the library at path and hands it the host window.
    bool load(const QString& path, WId host);
    bool isLoaded() const { return library.isLoaded(); }
    void unload();

    void setLanguage(int language);
    void resize();
    // Adds a file as a new checked item.
    void add(const QByteArray& path);
    // Adds a file shown with a separate picture and display name.
    void addEx(const QByteArray& path, const QByteArray& picture, const QByteArray& name);
    // The item of that file shows picture from now on (a document that grew
    // by a page); nothing when the library can't or no item has the path.
    void refresh(const QByteArray& path, const QByteArray& picture);
    int count();
    // The file of item index; empty for a bad index.
    QByteArray pathAt(int index);
    bool checkedAt(int index);
    // Removes every item.
    void clear();

    enum class CommitResult { NotLoaded, Empty, Unsupported, Written, WriteFailed };
    // Writes every item's path followed by "@@" to file (created anew,
    // never through a link) and clears the strip once the file is complete.
    CommitResult commit(const QString& file);

private:
    template <typename F> F resolve(const char* name) {
        return library.isLoaded() ? reinterpret_cast<F>(library.resolve(name)) : nullptr;
    }
    void checkLast();
    QLibrary library;
};
