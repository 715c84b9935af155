#include "devices/GpsNames.h"

#include "model/Define.h"
#include "platform/Msg.h"

#include <QHash>
#include <vector>

QString GpsName(const QString& Name)
{
    QString out;
    out.reserve(Name.size());
    for (qsizetype i = 0; i < Name.size(); ++i) {
        char16_t u = Name[i].unicode();
        // A character outside the basic plane is one character on the wire: one blank.
        if (QChar::isHighSurrogate(u) && i + 1 < Name.size() && Name[i + 1].isLowSurrogate()) ++i;
        if (u >= u'a' && u <= u'z') u = static_cast<char16_t>(u - 32);
        if (u < 32 || u > 96) u = u' ';
        out += QChar(u);
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
    seen.reserve(Swp->Count);
    bool askMore = true;
    for (const TWpt* w = Swp->First; w; w = w->Next) {
        if (OnlyMarked && !w->Rep) continue;
        ++Count;
        if (!askMore) continue;
        const QString key = GpsName(N > 0 ? w->Name.left(N) : QString());
        std::vector<const TWpt*>& earlier = seen[key];
        for (const TWpt* v : earlier) {
            const int answer = MessageDlg(
                QStringLiteral("%1 a les %2 premières lettres identique que %3.\rCe way-point va donc "
                               "remplacer le précédent dans le GPS !\rVoulez-vous continuer ?\r(Annuler "
                               "pour interrompre le transfert)")
                    .arg(w->Name, QString::number(N), v->Name),
                TMsgType::Warning, mbYes | mbCancel | mbYesToAll);
            if (answer == mrCancel || answer == mrNone) return false; // a box closed unanswered stops too
            if (answer == mrYesToAll) {
                askMore = false;
                break;
            }
        }
        earlier.push_back(w);
    }
    return true;
}
