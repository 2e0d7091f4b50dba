#pragma once

#include "db/MemoryStore.h"

#include <functional>
#include <memory>

namespace ostrivo::db {

// A connection answering through a store. `openSource` opens the file when a table must be
// decoded; `source` may already be open (it read the catalog).
std::unique_ptr<Connection> makeMemoryConnection(std::shared_ptr<MemoryStore> store, QString name,
                                                 std::function<std::unique_ptr<TableSource>()> openSource,
                                                 std::unique_ptr<TableSource> source);

}  // namespace ostrivo::db
