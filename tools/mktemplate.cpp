// Makes an empty data-file template: runs a schema script on a new SQLite file
// and, for the vehicle file, loads the brand and model list.
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

bool exec(sqlite3 *db, const std::string &sql)
{
    char *err = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::cerr << "mktemplate: " << (err ? err : "?") << '\n';
        sqlite3_free(err);
        return false;
    }
    return true;
}

std::vector<std::string> split(const std::string &line, char sep)
{
    std::vector<std::string> parts;
    std::stringstream ss(line);
    std::string part;
    while (std::getline(ss, part, sep)) {
        const auto b = part.find_first_not_of(" \t\r");
        const auto e = part.find_last_not_of(" \t\r");
        parts.push_back(b == std::string::npos ? std::string() : part.substr(b, e - b + 1));
    }
    return parts;
}

// One line a brand: Tip|Marka|Model|Model|...
bool loadVehicles(sqlite3 *db, const char *path)
{
    std::ifstream in(path);
    if (!in) {
        std::cerr << "mktemplate: cannot read " << path << '\n';
        return false;
    }
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(
            db, "INSERT INTO Araclar (Tip, Marka, Model) VALUES (?, ?, ?)", -1, &st, nullptr)
        != SQLITE_OK)
        return false;
    std::string line;
    bool ok = true;
    while (ok && std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        const auto parts = split(line, '|');
        if (parts.size() < 3)
            continue;
        for (size_t i = 2; i < parts.size(); ++i) {
            if (parts[i].empty())
                continue;
            sqlite3_bind_text(st, 1, parts[0].c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 2, parts[1].c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 3, parts[i].c_str(), -1, SQLITE_TRANSIENT);
            ok = sqlite3_step(st) == SQLITE_DONE;
            sqlite3_reset(st);
        }
    }
    sqlite3_finalize(st);
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::cerr << "usage: mktemplate OUT.mdq SCHEMA.sql [VEHICLES.txt]\n";
        return 2;
    }
    std::remove(argv[1]);
    std::ifstream schemaFile(argv[2]);
    std::stringstream schema;
    schema << schemaFile.rdbuf();
    sqlite3 *db = nullptr;
    if (sqlite3_open(argv[1], &db) != SQLITE_OK)
        return 1;
    bool ok = exec(db, "BEGIN") && exec(db, schema.str());
    if (ok && argc > 3)
        ok = loadVehicles(db, argv[3]);
    ok = ok && exec(db, "COMMIT");
    sqlite3_close(db);
    if (!ok) {
        std::remove(argv[1]);
        return 1;
    }
    return 0;
}
