#include "files/WptFormats.h"
#include "platform/Msg.h"
#include <QFile>
#include <gtest/gtest.h>
TEST(Dbg, X) {
  Msg::SetHeadless(true); ModelInit();
  QFile f(qgetenv("CRASH")); f.open(QIODevice::ReadOnly); QByteArray b = f.readAll();
  static const char* const exts[] = {"DAT", "WPZ", "WPT", "CUP", "GPX"};
  TReadReport R; auto S = ReadWptData(b.mid(1), exts[uchar(b[0])%5], "f", R);
  for (auto W : {WriteWptSwp, WriteDatSwp, WriteWpzSwp}) {
    QByteArray o = W(*S); TReadReport R2; auto B = ReadWptData(o, W==WriteWptSwp?"WPT":W==WriteDatSwp?"DAT":"WPZ", "b", R2);
    QByteArray o2 = B ? W(*B) : QByteArray();
    if (o != o2) { printf("MISMATCH rej=%d n=%d/%d\n", R2.Rejected, S->Count, B?B->Count:-1); auto a=o.split('\n'), b=o2.split('\n'); printf("lines %d %d\n",(int)a.size(),(int)b.size()); for (int i=0;i<std::min(a.size(),b.size());++i) if (a[i]!=b[i]) { printf("[%s]\n[%s]\n", a[i].toPercentEncoding(" ,:.\t").constData(), b[i].toPercentEncoding(" ,:.\t").constData()); break; } }
  }
}
