#include "P_IninForm.h"

#include <QPushButton>

namespace {

QString s(const char* text)
{
    return QString::fromUtf8(text);
}

}  // namespace

FieldTable P_IninForm::fieldTable()
{
    FieldTable t;
    t.table = s("ININ");
    t.addGroup(s("内容"));
    t.add(s("Inin1"), FieldKind::Option).withLabel(s("建築確認"));
    t.add(s("Inin2"), FieldKind::Option).withLabel(s("中間検査"));
    t.add(s("Inin3"), FieldKind::Option).withLabel(s("完了検査"));
    return t;
}

P_IninForm::P_IninForm(Storage& storage, qint64 bid, QWidget* parent)
    : EntryForm(storage, bid, fieldTable(), parent)
{
    setObjectName(s("P_IninForm"));
    setWindowTitle(s("委任状"));
    setHelpPage(s("inin.html"));
    setOkSaves(true);
    setMinimumWidth(380);
    okButton()->setToolTip(s("選択を保存して画面を閉じます。"));
    open();
    // The keyboard starts on the chosen option (arrows move the choice).
    QString start = QStringLiteral("Inin1");
    for (const QString& c : {QStringLiteral("Inin2"), QStringLiteral("Inin3")})
        if (isChecked(c))
            start = c;
    field(start)->setFocus(Qt::OtherFocusReason);
}
