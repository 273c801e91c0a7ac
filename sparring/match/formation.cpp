#include "sparring/match/formation.h"

#include <fstream>
#include <sstream>
#include <vector>

namespace sparring {

std::map<int, Spot> readFormationSpots(const std::string& path) {
    std::ifstream in(path);
    std::vector<double> unums, xs, ys;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string key;
        if (!(words >> key) || key[0] == '#') continue;
        std::vector<double>* target = key == "unums"      ? &unums
                                      : key == "homePosX" ? &xs
                                      : key == "homePosY" ? &ys
                                                          : nullptr;
        if (target == nullptr) continue;
        // A later line of the same key replaces the earlier one value by value.
        double v = 0;
        for (std::size_t k = 0; words >> v; ++k) {
            if (k < target->size()) {
                (*target)[k] = v;
            } else {
                target->push_back(v);
            }
        }
    }
    std::map<int, Spot> spots;
    for (std::size_t k = 0; k < unums.size(); ++k) {
        const int unum = static_cast<int>(unums[k]);
        if (spots.count(unum) != 0) continue;  // the first entry of a number wins
        spots[unum] = {k < xs.size() ? xs[k] : 0.0, k < ys.size() ? ys[k] : 0.0};
    }
    return spots;
}

}  // namespace sparring
