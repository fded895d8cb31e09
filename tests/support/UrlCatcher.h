#pragma once

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QUrl>

// Takes the addresses the program asks the desktop to open, instead of a browser. A catcher
// made with Refuse stands for a desktop where nothing can open them.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    enum Mode { Accept, Refuse };

    explicit UrlCatcher(Mode mode = Accept)
    {
        // The desktop reports failure when the handler it was given cannot be called.
        const char* method = mode == Accept ? "Open" : "NoSuchHandler";
        for (const char* scheme : Schemes)
            QDesktopServices::setUrlHandler(scheme, this, method);
    }
    ~UrlCatcher() override
    {
        for (const char* scheme : Schemes)
            QDesktopServices::unsetUrlHandler(scheme);
    }

    QList<QUrl> opened;

public slots:
    void Open(const QUrl& url) { opened.append(url); }

private:
    static constexpr const char* Schemes[] = {"http", "https", "file", "ftp"};
};
