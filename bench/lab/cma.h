#ifndef BENCH_LAB_CMA_H
#define BENCH_LAB_CMA_H

#include <functional>
#include <random>
#include <vector>

namespace lab {

// Covariance matrix adaptation (CMA-ES) for maximising a function of a few dozen
// parameters whose scales are alike: the search that tunes keyframe motions.
class Cma {
public:
    // `lambda` candidates per generation; 0 takes the usual 4 + 3 ln n.
    Cma(std::vector<double> start, double sigma, unsigned seed, int lambda = 0);

    // One generation's candidates to evaluate.
    std::vector<std::vector<double>> ask();
    // Their values (higher is better), in the order ask() gave them.
    void tell(const std::vector<std::vector<double>>& xs, const std::vector<double>& values);

    int lambda() const { return lambda_; }
    double sigma() const { return sigma_; }
    // The centre of the search: the best guess so far.
    const std::vector<double>& mean() const { return mean_; }

private:
    void decompose();

    int n_, lambda_, mu_;
    std::vector<double> weights_;
    double mueff_, cs_, ds_, cc_, c1_, cmu_, chiN_;
    std::vector<double> mean_, ps_, pc_;
    std::vector<std::vector<double>> c_, b_;  // covariance, its eigenvectors (columns)
    std::vector<double> d_;                   // square roots of its eigenvalues
    double sigma_;
    long generation_ = 0;
    std::mt19937 rng_;
};

}  // namespace lab

#endif
