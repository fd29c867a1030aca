// The colouring window's sound effects and its message to the child and the parents.

#include "FrmMain.h"

#include "ShownPath.h"
#include "Sound.h"
#include "SoundEffects.h"
#include "VbMath.h"
#include "frmMessage.h"

using namespace vb;

void FrmMain::PlaySoundEffect(const int32_t& Kind) {
    // Reseeded even when silent, so the other windows' random choices stay fresh.
    Randomize();
    if (!Play_Sound) return;
    const SoundEffect effect = ChooseSoundEffect(Kind, Rnd);
    if (effect.name.isEmpty()) return;
    PlaySoundA(effect.name, effect.flags);
}

QString FrmMain::ShowErrorMessage(const int32_t& Kind, const QString& Name) {
    QString parents, child;
    switch (Kind) {
    case 0:
        parents = QStringLiteral("The picture '") + ShownPath(Name) +
                  QStringLiteral("' appears to be damaged or it no longer exists.");
        child = QStringLiteral("Oops, the picture you choose appears to be have something wrong "
                               "with it, call someone who can help you fix it!");
        break;
    case 2:
        parents = QStringLiteral(
            "Before printing, a temporary file has to be created in the application directory. "
            "This was not possible. Please make sure there is enough space in the disk and that "
            "the disk is not write protected.");
        child = QStringLiteral("Oh no! Your picture could not be printed. Call someone for help!");
        break;
    default:
        break;
    }
    frmMessage& message = Forms::frmMessage();
    // The window remembers the password request of its last use.
    message.setPasswordVisible(false);
    message.setExtendedInformation(parents);
    message.setMessage(child);
    Timer1->setEnabled(false);
    message.Show(true);
    Timer1->setEnabled(true);
    return QString();
}
