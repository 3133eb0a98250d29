#pragma once

#include "store/Engine.h"

#include <QDate>
#include <QString>
#include <vector>

namespace velmora {

// A row of the phone or e-mail list of the details pane: the text shown (the
// value, and the description in brackets when there is one) and the bare value
// that copies and mails use.
struct DetailEntry {
    QString text;
    QString tag;
};

// Everything the details pane shows of one person.
struct PersonDetails {
    bool found = false;
    int contactnr = 0;
    QString caption; // the name in display order, "&" doubled for a caption
    bool hasDate = false;
    QDate dateOfBirth;
    QString dateText; // in the format of the setting "Date"
    int age = 0;
    QString address;
    std::vector<DetailEntry> phones;
    std::vector<DetailEntry> emails;
    QString note;
};

// The age in whole years on the day today. A birthday on 29 February counts
// as reached from 1 March in other years; a date of birth in a later year or
// earlier this year gives 0.
int getAge(const QDate &dateOfBirth, const QDate &today);

// The caption of the details frame: the two names in the order of the
// setting "List", trimmed, every "&" doubled.
QString detailsCaption(const QString &firstname, const QString &lastname, const QString &listSetting);

// The text of a phone or e-mail row: the value, or the value, " (", the
// description and ")".
DetailEntry detailEntry(const QString &value, const QString &description);

// The statements of the details pane.
QString personDetailsStatement(int contactnr);
QString phoneDetailsStatement(int contactnr);
QString emailDetailsStatement(int contactnr);

// Reads one person from the open book. A number that names nobody gives
// found == false and no error.
DbError loadPersonDetails(int contactnr, const QString &listSetting, const QString &dateSetting,
                          const QDate &today, PersonDetails &details);

} // namespace velmora
