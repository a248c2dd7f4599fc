#pragma once
// A pollutant's fee formula as the keypad builds it: tokens in order, each with its text and kind.
// Every pollutant window keeps the formula it edits here, of its own, so that no window can empty or
// replace the formula under edit in another; only a save writes it to the token table.
#include <QList>
#include <QString>
#include <QtGlobal>

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
