#pragma once
// The formula evaluator: the value of a fee formula given as a token list over a value list.
//
// Tokens are texts: the operators "+", "-", "*", "/", the absolute-value bar "|", the brackets "("
// and ")", and operand references, the decimal numeral of a position in the value list counting
// from 1. The formula is reduced in four passes from left to right (bracket groups, bar groups,
// "*" and "/", "+" and "-"); every group is evaluated by a call of its own.
#include "qelv/core/error_sink.h"

#include <QList>
#include <QString>
#include <QStringList>

// tokens[0] is token position 1 and values[0] value position 1; n tokens and m values are used
// (both at most 32767). The lists are only read.
//
// A call that fails (division by zero, overflow, a bracket or bar without its partner, an empty
// group, a sequence without any operand, an operator without its operand, a position outside the
// lists) gives the failure's description to `errors` and returns 0; a group that fails counts as 0
// in the sequence around it, which goes on. A window passes messageBoxSink(); a batch run collects.
double GongShiJieXi(const QStringList& tokens, const QList<double>& values, int n, int m, const ErrorSink& errors);
