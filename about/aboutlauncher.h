#pragma once

#include <QPointer>

class About;
class UrlOpener;

// Keeps to one About window at a time: opening it while it is open brings up
// the same window; once closed, the next opening starts a fresh one.
class AboutLauncher {
public:
    explicit AboutLauncher(UrlOpener &opener);
    ~AboutLauncher();
    AboutLauncher(const AboutLauncher &) = delete;
    AboutLauncher &operator=(const AboutLauncher &) = delete;

    // "Acerca de" in the options panel.
    void lblCreditos_Click();
    // Before the program closes.
    void closeIfOpen();

    // The open window, or null.
    About *openWindow() const;

private:
    UrlOpener &m_opener;
    QPointer<About> m_about;
};
