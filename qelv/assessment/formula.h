#pragma once
// A pollutant's fee formula as the keypad builds it: tokens in order, each with its text and kind.
// Every pollutant window keeps the formula it edits here, of its own, so that no window can empty or
// replace the formula under edit in another; only a save writes it to the token table. formulaFee is
// the one binding of a stored formula to the evaluator, for the workbench and for every other writer
// of fees, so that they agree to the fen.
#include "qelv/core/error_sink.h"

#include <QList>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>

// Token kinds as the token table stores them in BiaoJi.
namespace TokenKind {
inline constexpr int Constant = 0, Variable = 1, Plus = 2, Minus = 3, Times = 4, Divide = 5, Bar = 6, Open = 7,
                     Close = 8;
}

struct FormulaToken {
    qint64 id = 0; // position key: increases along the formula
    QString text; // MingCheng
    int kind = 0; // BiaoJi
};

class Formula {
public:
    const QList<FormulaToken>& tokens() const { return tokens_; }
    bool isEmpty() const { return tokens_.isEmpty(); }

    // Replaces the formula by stored tokens (in ID order), which keep their IDs.
    void assign(const QList<FormulaToken>& tokens);
    void clear();
    // Appends a token; its ID follows the last one's.
    void append(const QString& text, int kind);
    // Removes the last token; nothing happens on an empty formula.
    void undo();

    // One blank before each token's text: " 5 * 排放量".
    QString displayText() const;

    int bars() const { return count(TokenKind::Bar); }
    int openings() const { return count(TokenKind::Open); }
    int closings() const { return count(TokenKind::Close); }
    // The only conditions a formula must meet to be saved: as many opening as closing brackets and an
    // even number of bars (an empty formula meets them).
    bool isBalanced() const { return openings() == closings() && bars() % 2 == 0; }

    // The text a key of the keypad appends for an operator kind.
    static QString operatorText(int kind);

private:
    int count(int kind) const;
    QList<FormulaToken> tokens_;
};

// The figure of a formula's variable by its text; nullopt when there is none, which counts as 0.
using FormulaFigure = std::function<std::optional<double>(const QString& variable)>;

// The fee of a stored formula (its tokens in ID order): every constant and variable becomes an operand
// reference, numbered from 1 in order, whose value is the constant's number or the variable's figure,
// and the evaluator computes the result, giving its own failures to `errors` (the result is then 0).
// Nothing is computed (nullopt, the fee stays as it is) for an empty formula and for one of constants
// and variables alone, without any operator, bar or bracket. Throws platform::Error for a formula with
// operators but no constant or variable, or with a token of a kind below 0; convert::Error for a
// constant that is no number; and whatever `figure` throws.
std::optional<double> formulaFee(const QList<FormulaToken>& formula, const FormulaFigure& figure,
                                 const ErrorSink& errors);
