#include "devices/GpsNames.h"

#include "model/Define.h"
#include "platform/Msg.h"

#include <QHash>
#include <vector>

QString GpsName(const QString& Name)
{
    QString out = Name;
    for (QChar& c : out) {
        char16_t u = c.unicode();
        if (u >= u'a' && u <= u'z') u = static_cast<char16_t>(u - 32);
        if (u < 32 || u > 96) u = u' ';
        c = QChar(u);
    }
    return out;
}

bool CheckGpsNames(int N, bool OnlyMarked, uint16_t& Count)
{
    Count = 0;
    if (!Swp) return true;
    // Earlier eligible waypoints by key, in set order: a waypoint is compared only with those
    // that share its key, which are exactly the ones a full pairwise comparison would ask about.
    QHash<QString, std::vector<const TWpt*>> seen;
    bool askMore = true;
    for (const TWpt* w = Swp->First; w; w = w->Next) {
        if (OnlyMarked && !w->Rep) continue;
        ++Count;
        if (!askMore) continue;
        const QString key = GpsName(N > 0 ? w->Name.left(N) : QString());
        std::vector<const TWpt*>& earlier = seen[key];
        for (const TWpt* v : earlier) {
            const int answer =
                MessageDlg(QStringLiteral("%1 a les %2 premières lettres identique que %3.\rCe way-point va donc "
                                          "remplacer le précédent dans le GPS !\rVoulez-vous continuer ?\r(Annuler "
                                          "pour interrompre le transfert)")
                               .arg(w->Name, QString::number(N), v->Name),
                           TMsgType::Warning, mbYes | mbCancel | mbAll);
            if (answer == mrCancel || answer == mrNone) return false; // a box closed unanswered stops too
            if (answer == mrAll) {
                askMore = false;
                break;
            }
        }
        earlier.push_back(w);
    }
    return true;
}
