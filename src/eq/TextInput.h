#pragma once
// What the filter and measurement readers share: a user's file as lines of text, and numbers as the
// tools that write these files write them (a decimal point or the locale's decimal comma, and in
// frequencies REW's thousands separator).

#include "ReadReport.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

namespace korva {

// The lines of a text file: UTF-8 unless a byte-order mark says UTF-16; line ends \n, \r\n or \r.
// std::nullopt and the reason (line 0) for bytes that are no text (a NUL byte outside UTF-16).
std::optional<QStringList> TextLinesOf(const QByteArray& bytes, const QString& fileName, ReadError* error);

// A text file's bytes as text: UTF-8 unless a byte-order mark says UTF-16 (the mark kept).
QString DecodeUserText(const QByteArray& bytes);

// The bytes of a file, limited to what a filter or measurement file can sensibly hold. The error names
// the file without its folder.
std::optional<QByteArray> ReadUserFile(const QString& path, ReadError* error);

// The name a message gives a file: without its folder.
QString FileNameForMessages(const QString& path);

// A plain decimal number: sign, digits, one decimal separator ('.' or ','), exponent. No thousands
// separators, no "inf" or "nan".
std::optional<double> ParseDecimal(QStringView text);

// A number that may carry thousands separators: when '.' and ',' both appear the last one is the decimal
// separator; one kind appearing more than once separates thousands; a single one followed by exactly
// three digits separates thousands when the rest of the line uses the other as its decimal separator
// (decimalOfLine, or QChar() when unknown). A non-breaking space is a thousands separator.
std::optional<double> ParseGroupedDecimal(QStringView text, QChar decimalOfLine);

// Sets *error and returns std::nullopt, for the readers' refusals.
template <typename T> std::optional<T> Refuse(ReadError* error, const QString& file, int line, const QString& reason) {
    if (error) {
        *error = {file, line, reason};
    }
    return std::nullopt;
}

} // namespace korva
