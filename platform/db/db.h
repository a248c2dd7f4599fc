#pragma once
#include "platform/db/compact.h"
#include "platform/db/connection.h"
#include "platform/db/error.h"
#include "platform/db/recordset.h"
#include "platform/db/schema.h"
