#pragma once

#include "profilefile.h"
#include "programfolder.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class QComboBox;
class QListWidget;
class SkinTarget;
class Session;

// The skins: lists the skin folders into cboSkins and the hidden List1 (kept in
// step, entry k of both being the same skin; the folder and caption are kept here), restores the
// saved skin at start-up and applies a skin when the user picks one.
//
// A skin only changes what its file names, so skins add up. Every failure is
// silent and leaves its element as it was.
class Skinner : public QObject {
    Q_OBJECT

public:
    // Connects cboSkins' user choice to cboSkins_Click.
    Skinner(Session &session, const ProgramFolder &folder, QComboBox *cboSkins, QListWidget *List1,
            SkinTarget &target, QObject *parent = nullptr);

    // Start-up step 7: lists every skin folder, in the order the file system gives them,
    // and selects the saved skin caption. Run while the session is loading.
    void listSkins();
    // Start-up step 8: applies the saved skin when a caption was saved.
    void restoreSavedSkin();

    // CargaSkin ("load skin"): applies the skin selected in List1.
    void CargaSkin();

    // Role of List1's entries that holds the skin's folder name.
    static constexpr int FolderRole = Qt::UserRole;

public Q_SLOTS:
    void cboSkins_Click();

private:
    QString skinFile(const QString &folder) const;
    // CargaSkin, with the skin file already read by the listing when given.
    void applySelected(const ProfileFile *listed);
    void loadPicture(const QString &pictureFolder, const QString &value,
                     const std::function<void(const QImage &)> &apply) const;

    struct Entry {
        QString folder;
        QString caption;
    };

    Session &m_session;
    ProgramFolder m_folder;
    QComboBox *m_cboSkins;
    QListWidget *m_List1;
    SkinTarget &m_target;
    QList<Entry> m_skins; // in step with cboSkins and List1
    // The file of the skin the listing selected, until restoreSavedSkin applies it.
    std::optional<ProfileFile> m_restoredFile;
};
