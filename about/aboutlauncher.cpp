#include "aboutlauncher.h"

#include "about.h"

AboutLauncher::AboutLauncher(UrlOpener &opener)
    : m_opener(opener) {}

// The window has no owner, so nothing else deletes it when the program ends.
AboutLauncher::~AboutLauncher() {
    delete m_about;
}

void AboutLauncher::lblCreditos_Click() {
    if (About *open = openWindow()) {
        open->showNormal();
        open->raise();
        open->activateWindow();
        return;
    }
    m_about = new About(m_opener);
    m_about->Form_Load();
    m_about->show();
}

void AboutLauncher::closeIfOpen() {
    if (About *open = openWindow())
        open->close();
}

// A closed window lingers until its deferred deletion; it no longer counts.
About *AboutLauncher::openWindow() const {
    return m_about && m_about->isVisible() ? m_about.data() : nullptr;
}
