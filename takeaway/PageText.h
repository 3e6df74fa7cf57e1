#pragma once

#include <QString>

class Query;

// The texts that exported and printed pages share.

// The database date as a sentence reads it ("março de 2026"); empty when it could not be read.
QString databaseDateOf(const Query &dataBanco);

// A file name from what the page shows, without characters that file systems refuse.
QString fileNameOf(const QString &text);
