// Reading the statistics file the program wrote, as a learner would query it.
#pragma once

#include <sqlite3.h>

#include <string>
#include <vector>

#include "Sesion.h"

namespace e2e {

struct Fila {
    std::vector<std::string> v;
};

// Every row of a query, each column as text ("NULL" for a null).
inline std::vector<Fila> Consulta(const std::string& ruta, const std::string& sql) {
    sqlite3* db = nullptr;
    std::vector<Fila> r;
    if (sqlite3_open_v2(ruta.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) Fallo("cannot open " + ruta);
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) Fallo(std::string("bad query: ") + sqlite3_errmsg(db));
    while (sqlite3_step(s) == SQLITE_ROW) {
        Fila f;
        for (int i = 0; i < sqlite3_column_count(s); ++i) {
            const auto* t = sqlite3_column_text(s, i);
            f.v.push_back(t ? reinterpret_cast<const char*>(t) : "NULL");
        }
        r.push_back(std::move(f));
    }
    sqlite3_finalize(s);
    sqlite3_close(db);
    return r;
}

}  // namespace e2e
