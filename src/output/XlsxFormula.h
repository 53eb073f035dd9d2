#pragma once

#include "XlsxWorkbook.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

// A value as a spreadsheet program computes it. Empty is a reference to a
// cell that holds nothing: it counts as "" in text and as 0 in a number.
struct FormulaValue {
    enum class Kind { Empty, Number, Text, Boolean };
    Kind kind = Kind::Empty;
    double number = 0;  // Number; Boolean as 1 or 0
    QString text;       // Text

    static FormulaValue fromNumber(double v) { return {Kind::Number, v, QString()}; }
    static FormulaValue fromText(const QString& t) { return {Kind::Text, 0, t}; }
    static FormulaValue fromBoolean(bool b) { return {Kind::Boolean, b ? 1.0 : 0.0, QString()}; }
};

// The formulas that the template generator writes, evaluated as Excel and
// LibreOffice evaluate them, so that the filled workbook can carry the
// value of every formula cell for viewers that never recalculate.
//
// The language is deliberately small and the same as the generator's
// check (tools/template-layout/layout.py, check_formula): cell references
// ('Sheet'!$A$1, A1), text in quotes, whole or decimal numbers, & , = ,
// <> , brackets and the functions IF, AND, OR and RIGHT. A formula outside
// it does not parse; one whose value the two programs could show
// differently (an error, a number written with an exponent, a text
// compared regardless of case …) has no value. Either way the cell is left
// for the spreadsheet program to compute: never a wrong value.
class XlsxFormula {
public:
    // Parses the formula as stored in the file (without '=', entities
    // already decoded). False when it is outside the language.
    bool parse(const QString& formula);

    // The value of a referenced cell: sheet is empty for the formula's own
    // sheet; std::nullopt when it cannot be known.
    using Lookup = std::function<std::optional<FormulaValue>(const QString& sheet, CellRef ref)>;
    // The value the cell shows (a lone empty reference shows 0), or
    // std::nullopt when it cannot be given with certainty.
    std::optional<FormulaValue> evaluate(const Lookup& lookup) const;

    // A number as a formula turns it into text (the spreadsheet's general
    // format); std::nullopt for numbers whose text the programs may write
    // differently (exponents, more than 15 significant digits).
    static std::optional<QString> numberText(double value);

private:
    struct Node {
        enum class Type { Text, Number, Ref, Concat, Equal, NotEqual, If, And, Or, Right };
        Type type = Type::Text;
        QString text;   // Text; the sheet name of a Ref
        double number = 0;
        CellRef ref;
        std::vector<int> args;  // indexes into m_nodes
    };
    std::vector<Node> m_nodes;
    int m_root = -1;

    struct Parser;
    std::optional<FormulaValue> eval(int node, const Lookup& lookup) const;
};
