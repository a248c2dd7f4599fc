#pragma once
#include "platform/error/error.h"

#include <QString>

namespace db {

// A database failure.
class Error : public platform::Error {
public:
    using platform::Error::Error;
};

// The operator-facing texts of the errors callers test for.
namespace messages {
inline const char* const noCurrentRecord =
    "BOF 或 EOF 中有一个是“真”，或者当前的记录已被删除，所请求的操作要求一个当前的记录。";
// The beginnings of the descriptions of values a column refuses; the field and value follow.
inline const char* const typeMismatch = "数据类型不匹配";
inline const char* const overflow = "溢出";
inline const char* const fieldTooSmall = "字段太小而不能接受所要添加的数据的数量。试着插入或粘贴较少的数据。";
// A row the table refuses because a unique key would repeat; SQLite's reason follows.
inline const char* const duplicateValue = "值重复";
// A required field left empty; SQLite's reason follows.
inline const char* const requiredField = "字段不能为空";
// Writing through a recordset that is not updatable.
inline const char* const readOnly = "当前记录集不支持更新。这可能是提供者的限制，也可能是选定锁定类型的限制。";
// A field name or index that the recordset does not have.
inline const char* const itemNotFound = "在对应所需名称或序数的集合中，未找到项目。";
// Any use of a connection that has been closed.
inline const char* const closed = "对象关闭时，不允许操作。";
} // namespace messages

} // namespace db
