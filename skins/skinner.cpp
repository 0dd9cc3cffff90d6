#include "skinner.h"

#include "profilefile.h"
#include "session.h"
#include "skincolor.h"
#include "skinpicture.h"
#include "skintarget.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QListWidget>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

constexpr int OffDigit = 11;
constexpr int SelectorDigit = 12;

} // namespace

Skinner::Skinner(Session &session, const ProgramFolder &folder, QComboBox *cboSkins,
                 QListWidget *List1, SkinTarget &target, QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_folder(folder)
    , m_cboSkins(cboSkins)
    , m_List1(List1)
    , m_target(target) {
    connect(m_cboSkins, &QComboBox::activated, this, &Skinner::cboSkins_Click);
}

QString Skinner::skinFile(const QString &folder) const {
    return m_folder.skinsFolder() + u'/' + folder + u'/' + folder + u".ini"_s;
}

void Skinner::listSkins() {
    // Hidden entries stay out, as do "." and ".."; plain files drop out for want of a skin file.
    const QDir skins(m_folder.skinsFolder());
    const QStringList names =
        skins.entryList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot, QDir::Unsorted);

    int restored = -1;
    m_restoredFile.reset();
    for (const QString &name : names) {
        ProfileFile file = ProfileFile::load(skinFile(name));
        const QString caption = file.value(u"General"_s, u"SkinCaption"_s);
        if (caption.isEmpty())
            continue;
        m_cboSkins->addItem(caption);
        auto *entry = new QListWidgetItem(name + u' ' + caption);
        entry->setData(FolderRole, name);
        m_List1->addItem(entry);
        m_skins.append({name, caption});
        if (restored < 0 && caption == m_session.saved().skin) {
            // The first skin with the saved caption is the one restored.
            restored = m_cboSkins->count() - 1;
            m_restoredFile = std::move(file);
            m_cboSkins->setCurrentIndex(restored);
            cboSkins_Click();
        }
    }
    // A combo box selects its first entry by itself; without a match nothing is selected,
    // so that an empty caption is saved at close.
    if (restored < 0) {
        m_cboSkins->setCurrentIndex(-1);
        m_List1->setCurrentRow(-1);
    }
}

void Skinner::restoreSavedSkin() {
    const std::optional<ProfileFile> listed = std::exchange(m_restoredFile, std::nullopt);
    if (!m_session.saved().skin.isEmpty())
        applySelected(listed ? &*listed : nullptr);
}

void Skinner::cboSkins_Click() {
    m_List1->setCurrentRow(m_cboSkins->currentIndex());
    if (m_session.loading())
        return;
    CargaSkin();
    m_target.selectDigitOption(int(m_session.digitColour()));
}

void Skinner::loadPicture(const QString &pictureFolder, const QString &value,
                          const std::function<void(const QImage &)> &apply) const {
    if (value.isEmpty())
        return;
    QImage picture = SkinPicture::load(pictureFolder + value);
    // Skins made on Windows write sub-folders with backslashes.
    if (picture.isNull() && value.contains(u'\\'))
        picture = SkinPicture::load(pictureFolder + QString(value).replace(u'\\', u'/'));
    if (!picture.isNull())
        apply(picture);
}

void Skinner::CargaSkin() {
    applySelected(nullptr);
}

void Skinner::applySelected(const ProfileFile *listed) {
    const int row = m_List1->currentRow();
    if (row < 0 || row >= m_skins.size())
        return; // no skin selected: nothing to apply
    const QString folder = m_skins[row].folder;
    const QString caption = m_skins[row].caption;

    // Show the caption on the entry that is already selected: with two skins of one
    // caption, selecting by text would jump to the first of them.
    if (m_cboSkins->itemText(row) == caption)
        m_cboSkins->setCurrentIndex(row);
    else if (const int found = m_cboSkins->findText(caption); found >= 0)
        m_cboSkins->setCurrentIndex(found);

    // The file is read once for all its keys.
    const ProfileFile file = listed ? *listed : ProfileFile::load(skinFile(folder));
    const QString pictures = m_folder.skinsFolder() + u'/' + folder + u'/';
    const auto general = [&](const QString &key) { return file.value(u"General"_s, key); };
    const auto digits = [&](const QString &key) { return file.value(u"CustomDigits"_s, key); };

    loadPicture(pictures, general(u"Background"_s),
                [this](const QImage &picture) { m_target.setSkinBackground(picture); });

    if (const auto color = SkinColor::parse(general(u"ControlBoxColor"_s)))
        m_target.setControlBoxColor(*color);

    if (const QString type = general(u"Digits"_s); !type.isEmpty())
        m_session.setDigitColour(Settings::digitColourFromWord(type));

    const auto digitPicture = [this, &pictures](const QString &value, int index) {
        loadPicture(pictures, value, [this, index](const QImage &picture) {
            m_target.setCustomDigitPicture(index, picture);
        });
    };
    digitPicture(digits(u"OFF"_s), OffDigit);
    for (int i = 0; i <= 10; ++i)
        digitPicture(digits(QString::number(i)), i);
    digitPicture(digits(u"Selector"_s), SelectorDigit);

    if (const auto color = SkinColor::parse(general(u"MainLabelColor"_s)))
        m_target.setMainLabelColor(*color);
    if (const auto color = SkinColor::parse(general(u"OptionLabelColor"_s)))
        m_target.setOptionLabelColor(*color);
}
