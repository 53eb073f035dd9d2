#pragma once

#include "EntryForm.h"
#include "ProjectData.h"

class QCheckBox;

// 業務記録簿: the 90 lines of the project's record book (title, year, month,
// day, content), spread over tab pages. Apply also keeps the titles as the
// office's defaults for record books made later.
class P_KirokuboForm : public EntryForm {
    Q_OBJECT
public:
    P_KirokuboForm(Storage& storage, qint64 bid, QWidget* parent = nullptr);

    static constexpr int kLinesPerPage = 15;
    static FieldTable fieldTable();

    // The field names of a line (1 to 90).
    static QString titleField(int line);
    static QString yearField(int line);
    static QString monthField(int line);
    static QString dayField(int line);
    static QString contentField(int line);

    // "タイトル変更": titles can be typed (and are coloured) while it is on.
    QCheckBox* titleCheck() const { return m_titleCheck; }
    void setTitleEditing(bool on);
    bool titleEditing() const;
    // The lines as shown (as many as the project has rows, at most 90).
    QVector<RecordBookLine> lines() const;

protected:
    bool loadRecords(QString* error) override;
    bool saveRecords(QString* error) override;
    bool enterPressed(const QString& column) override;

private:
    // The first field Enter or a new page reaches on a line.
    QString entryOf(int line) const;

    QCheckBox* m_titleCheck = nullptr;
    int m_rows = 0;
};
