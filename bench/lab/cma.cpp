#include "bench/lab/cma.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace lab {

namespace {

// Eigen-decomposition of a symmetric matrix by Jacobi rotations: a holds the matrix and
// comes back diagonal (the eigenvalues); v gets the eigenvectors as columns.
void jacobi(std::vector<std::vector<double>>& a, std::vector<std::vector<double>>& v) {
    const int n = static_cast<int>(a.size());
    v.assign(n, std::vector<double>(n, 0));
    for (int i = 0; i < n; ++i) v[i][i] = 1;
    for (int sweep = 0; sweep < 60; ++sweep) {
        double off = 0;
        for (int p = 0; p < n; ++p)
            for (int q = p + 1; q < n; ++q) off += a[p][q] * a[p][q];
        if (off < 1e-22) return;
        for (int p = 0; p < n; ++p) {
            for (int q = p + 1; q < n; ++q) {
                if (std::fabs(a[p][q]) < 1e-300) continue;
                const double theta = (a[q][q] - a[p][p]) / (2 * a[p][q]);
                const double t =
                    (theta >= 0 ? 1 : -1) / (std::fabs(theta) + std::sqrt(theta * theta + 1));
                const double c = 1 / std::sqrt(t * t + 1), s = t * c;
                for (int k = 0; k < n; ++k) {
                    const double akp = a[k][p], akq = a[k][q];
                    a[k][p] = c * akp - s * akq;
                    a[k][q] = s * akp + c * akq;
                }
                for (int k = 0; k < n; ++k) {
                    const double apk = a[p][k], aqk = a[q][k];
                    a[p][k] = c * apk - s * aqk;
                    a[q][k] = s * apk + c * aqk;
                }
                for (int k = 0; k < n; ++k) {
                    const double vkp = v[k][p], vkq = v[k][q];
                    v[k][p] = c * vkp - s * vkq;
                    v[k][q] = s * vkp + c * vkq;
                }
            }
        }
    }
}

}  // namespace

Cma::Cma(std::vector<double> start, double sigma, unsigned seed, int lambda)
    : n_(static_cast<int>(start.size())), mean_(std::move(start)), sigma_(sigma), rng_(seed) {
    lambda_ = lambda > 0 ? lambda : 4 + static_cast<int>(3 * std::log(n_));
    mu_ = lambda_ / 2;
    for (int i = 0; i < mu_; ++i) weights_.push_back(std::log(mu_ + 0.5) - std::log(i + 1.0));
    const double sum = std::accumulate(weights_.begin(), weights_.end(), 0.0);
    double sq = 0;
    for (double& w : weights_) {
        w /= sum;
        sq += w * w;
    }
    mueff_ = 1 / sq;
    const double n = n_;
    cs_ = (mueff_ + 2) / (n + mueff_ + 5);
    ds_ = 1 + 2 * std::max(0.0, std::sqrt((mueff_ - 1) / (n + 1)) - 1) + cs_;
    cc_ = (4 + mueff_ / n) / (n + 4 + 2 * mueff_ / n);
    c1_ = 2 / ((n + 1.3) * (n + 1.3) + mueff_);
    cmu_ = std::min(1 - c1_, 2 * (mueff_ - 2 + 1 / mueff_) / ((n + 2) * (n + 2) + mueff_));
    chiN_ = std::sqrt(n) * (1 - 1 / (4 * n) + 1 / (21 * n * n));
    ps_.assign(n_, 0);
    pc_.assign(n_, 0);
    c_.assign(n_, std::vector<double>(n_, 0));
    for (int i = 0; i < n_; ++i) c_[i][i] = 1;
    decompose();
}

void Cma::decompose() {
    std::vector<std::vector<double>> a = c_;
    jacobi(a, b_);
    d_.resize(n_);
    for (int i = 0; i < n_; ++i) d_[i] = std::sqrt(std::max(1e-20, a[i][i]));
}

std::vector<std::vector<double>> Cma::ask() {
    std::normal_distribution<double> gauss(0, 1);
    std::vector<std::vector<double>> xs(lambda_, std::vector<double>(n_));
    for (auto& x : xs) {
        std::vector<double> z(n_);
        for (double& zi : z) zi = gauss(rng_);
        for (int i = 0; i < n_; ++i) {
            double y = 0;
            for (int j = 0; j < n_; ++j) y += b_[i][j] * d_[j] * z[j];
            x[i] = mean_[i] + sigma_ * y;
        }
    }
    return xs;
}

void Cma::tell(const std::vector<std::vector<double>>& xs, const std::vector<double>& values) {
    std::vector<int> order(xs.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return values[a] > values[b]; });
    const std::vector<double> old = mean_;
    for (int i = 0; i < n_; ++i) {
        mean_[i] = 0;
        for (int k = 0; k < mu_; ++k) mean_[i] += weights_[k] * xs[order[k]][i];
    }
    // The step in the whitened space: C^(-1/2) (mean - old) / sigma.
    std::vector<double> step(n_), white(n_, 0);
    for (int i = 0; i < n_; ++i) step[i] = (mean_[i] - old[i]) / sigma_;
    std::vector<double> proj(n_, 0);
    for (int j = 0; j < n_; ++j) {
        for (int i = 0; i < n_; ++i) proj[j] += b_[i][j] * step[i];
        proj[j] /= d_[j];
    }
    for (int i = 0; i < n_; ++i)
        for (int j = 0; j < n_; ++j) white[i] += b_[i][j] * proj[j];
    double psNorm = 0;
    for (int i = 0; i < n_; ++i) {
        ps_[i] = (1 - cs_) * ps_[i] + std::sqrt(cs_ * (2 - cs_) * mueff_) * white[i];
        psNorm += ps_[i] * ps_[i];
    }
    psNorm = std::sqrt(psNorm);
    ++generation_;
    const bool hsig =
        psNorm / std::sqrt(1 - std::pow(1 - cs_, 2.0 * generation_)) / chiN_ < 1.4 + 2 / (n_ + 1.0);
    for (int i = 0; i < n_; ++i)
        pc_[i] = (1 - cc_) * pc_[i] + (hsig ? std::sqrt(cc_ * (2 - cc_) * mueff_) * step[i] : 0);
    for (int i = 0; i < n_; ++i) {
        for (int j = 0; j <= i; ++j) {
            double rankMu = 0;
            for (int k = 0; k < mu_; ++k) {
                const auto& x = xs[order[k]];
                rankMu += weights_[k] * (x[i] - old[i]) * (x[j] - old[j]) / (sigma_ * sigma_);
            }
            const double v = (1 - c1_ - cmu_) * c_[i][j] +
                             c1_ * (pc_[i] * pc_[j] + (hsig ? 0 : cc_ * (2 - cc_) * c_[i][j])) +
                             cmu_ * rankMu;
            c_[i][j] = c_[j][i] = v;
        }
    }
    sigma_ *= std::exp((cs_ / ds_) * (psNorm / chiN_ - 1));
    sigma_ = std::clamp(sigma_, 1e-3, 3.0);
    decompose();
}

}  // namespace lab
