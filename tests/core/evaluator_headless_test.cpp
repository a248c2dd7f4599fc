#include "qelv/assessment/GongShiJieXi.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {

// A batch run has no QApplication and no window: the evaluator's failures reach the caller's sink,
// in order, and each failed formula is worth 0.
TEST(EvaluatorWithoutWindows, CollectsItsErrorsThroughTheSink)
{
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    CollectedErrors errors;
    EXPECT_DOUBLE_EQ(GongShiJieXi({"1", "/", "2"}, {1, 0}, 3, 2, errors.sink()), 0);
    EXPECT_DOUBLE_EQ(GongShiJieXi({"(", "1"}, {1}, 2, 1, errors.sink()), 0);
    EXPECT_DOUBLE_EQ(GongShiJieXi({"1", "+", "2"}, {1, 2}, 3, 2, errors.sink()), 3);
    ASSERT_EQ(errors.list().size(), 2);
    for (const QString& e : errors.list())
        EXPECT_FALSE(e.isEmpty());
    EXPECT_NE(errors.list()[0], errors.list()[1]) << "each failure keeps its own description";
}

} // namespace
