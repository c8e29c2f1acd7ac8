// The reduced Newton system of the interior point on the arc slots: the vertex blocks are
// eliminated with their factors, the Schur complement is solved by conjugate residuals, and the
// vertex directions are recovered by one more solve per commodity.

#include "InteriorPoint.h"

#include "LogStream.h"
#include "Shell.h"

#include <cmath>

namespace tesmo {

double ipClass::dot(const std::vector<double>& u, const std::vector<double>& v) const {
  double sum = 0;
  for (int a : live_) sum += u[a] * v[a];
  return sum;
}

void ipClass::schurApply(double* out, const double* u, double* wv) {
  for (int a : live_) out[a] = -Dx[a] * u[a];
  for (int k = 1; k <= K; ++k) {
    const double* ek = rowA(Ew, k);
    std::fill(wv, wv + V + 1, 0.0);
    for (int a : live_) {
      const double e = ek[a] * u[a];
      wv[tail(a)] += e;
      wv[head(a)] -= e;
    }
    wv[root] = 0;
    chol_.solve(k, wv);
    for (int a : live_) out[a] -= (wv[tail(a)] - wv[head(a)]) * ek[a];
  }
}

void ipClass::schurSolve() {
  log(3) << "Calculating B-Values\n";
  for (int a : live_) b[a] = rhsX[a];
  for (int k = 1; k <= K; ++k) {
    const double* ek = rowA(Ew, k);
    std::copy_n(rowV(rhsY, k), V + 1, work.begin());
    work[root] = 0;
    chol_.solve(k, work.data());
    for (int a : live_) b[a] -= (work[tail(a)] - work[head(a)]) * ek[a];
  }
  if (writeVerbose != 0) writeTrace();
  if (verbose >= 6) {
    std::vector<double> unit(A + 1, 0.0), column(A + 1, 0.0);
    for (int i : live_) {
      unit[i] = 1;
      schurApply(column.data(), unit.data(), work.data());
      unit[i] = 0;
      for (int a : live_) log(4) << " " << column[a];
      log(4) << std::endl;
    }
    log(4) << "Bside:";
    for (int a : live_) log(4) << " " << b[a];
    log(4) << std::endl;
  }
  conjugateResiduals();
  backSolve();
}

// Conjugate residuals on S dx = b. The tolerance has a floor, the steps a cap, and a zero
// denominator ends the loop (b = 0, or a direction that has died out).
void ipClass::conjugateResiduals() {
  const double tolerance = std::max(pcgError, 1e-20);
  for (int a : live_) {
    r[a] = p[a] = b[a];
    dx[a] = 0;
  }
  schurApply(q.data(), p.data(), work.data());
  for (int a : live_) Ar[a] = q[a];
  log(3) << "CR\n";
  double d = dot(Ar, r);
  double rr = dot(r, r);
  int step = 0;
  if (rr > tolerance) {
    for (step = 1; step <= pcgMaxSteps; ++step) {
      if (pcgRecalc != 0 && step % pcgRecalc == 0) {
        schurApply(sx.data(), dx.data(), work.data());
        for (int a : live_) r[a] = b[a] - sx[a];
        schurApply(Ar.data(), r.data(), work.data());
        d = dot(Ar, r);
        log(4) << std::endl << step << " recalc ";
        const double fresh = dot(r, r);
        if (std::fabs(fresh - rr) > 1e-5) log(4) << "error: " << rr << " -> " << fresh << std::endl;
      }
      const double qq = dot(q, q);
      if (qq == 0 || d == 0 || !std::isfinite(qq) || !std::isfinite(d)) break;
      const double alpha = d / qq;
      for (int a : live_) {
        dx[a] += alpha * p[a];
        r[a] -= alpha * q[a];
      }
      schurApply(Ar.data(), r.data(), work.data());
      const double dNew = dot(Ar, r);
      const double beta = dNew / d;
      for (int a : live_) {
        p[a] = beta * p[a] + r[a];
        q[a] = beta * q[a] + Ar[a];
      }
      d = dNew;
      rr = dot(r, r);
      if (verbose < 5) {
        log(3) << "." << std::flush;
      } else {
        log(5) << step << ": " << rr << std::endl;
      }
      if (rr <= tolerance) break;
    }
  }
  schurApply(sx.data(), dx.data(), work.data());
  for (int a : live_) r[a] = b[a] - sx[a];
  log(4) << "\nFinished: " << step << " error: " << rr << " -> " << dot(r, r) << std::endl;
}

void ipClass::backSolve() {
  log(3) << "Backsolving other B-Values\n";
  for (int k = 1; k <= K; ++k) {
    const double* ek = rowA(Ew, k);
    std::copy_n(rowV(rhsY, k), V + 1, work.begin());
    for (int a : live_) {
      const double e = dx[a] * ek[a];
      work[tail(a)] -= e;
      work[head(a)] += e;
    }
    work[root] = 0;
    chol_.solve(k, work.data());
    double* dyk = rowV(dy, k);
    for (int v = 0; v <= V; ++v) dyk[v] = chol_.rankOf(v) != 0 ? work[v] : 0.0;
    dyk[root] = 0;
  }
}

void ipClass::fullProduct(std::vector<double>& outX, std::vector<double>& outY) {
  std::fill(outX.begin(), outX.end(), 0.0);
  std::fill(outY.begin(), outY.end(), 0.0);
  for (int k = 1; k <= K; ++k) kV(dy, k, root) = 0;
  for (int a : live_) outX[a] = -Dx[a] * dx[a];
  for (int k = 1; k <= K; ++k) {
    const double* dyk = rowV(dy, k);
    double* oy = rowV(outY, k);
    for (int a : live_) {
      const int t = tail(a), h = head(a);
      const double e = kA(Ew, k, a), bdy = dyk[t] - dyk[h];
      outX[a] += e * bdy;
      const double v = e * dx[a] + kA(D, k, a) * bdy;
      oy[t] += v;
      oy[h] -= v;
    }
    oy[root] = 0;
  }
}

// A diagnostic of the direction: how well it meets the reduced and the linearised rows.
void ipClass::checkSolution() {
  const int printSolution = shell.Iget("printSolution", 0);
  if (printSolution != 0 && pcgDirect < 3) {
    log(3) << "\nsol: ";
    for (int a : live_) log(3) << dx[a] << " ";
    for (int k = 1; k <= K; ++k)
      for (int v = 1; v <= V; ++v)
        if (v != root) log(3) << kV(dy, k, v) << " ";
  }
  log(3) << "check Solution: " << std::flush;
  if (verbose < 4 && printSolution == 0) return;  // the sums below are logged at level 4 only
  fullProduct(sx, sy);
  double residual = 0;
  for (int a : live_) {
    sx[a] = rhsX[a] - sx[a];
    residual += sx[a] * sx[a];
  }
  for (int k = 1; k <= K; ++k)
    for (int v = 1; v <= V; ++v) {
      if (v == root) continue;
      kV(sy, k, v) = kV(rhsY, k, v) - kV(sy, k, v);
      residual += kV(sy, k, v) * kV(sy, k, v);
    }
  log(4) << "pcgR: " << residual;
  if (printSolution != 0) {
    log(3) << "\npcgR:";
    for (int a : live_) log(3) << sx[a] << " ";
    for (int k = 1; k <= K; ++k)
      for (int v = 1; v <= V; ++v)
        if (v != root) log(3) << kV(sy, k, v) << " ";
  }
  // Linearised rows at the direction, then the rows at the point plus the full direction.
  double lv = 0, lw = 0, lx = 0, ll = 0, ly = 0, lcy = 0, lcl = 0;
  double nv = 0, nw = 0, nx = 0, nl = 0, ny = 0;
  std::vector<double>& flow = work;
  for (int k = 1; k <= K; ++k) {
    std::vector<double>& full = fullFlow_;
    std::fill(flow.begin(), flow.end(), 0.0);
    std::fill(full.begin(), full.end(), 0.0);
    for (int a : live_) {
      flow[tail(a)] += kA(df, k, a);
      flow[head(a)] -= kA(df, k, a);
      const double fd = kA(f, k, a) + kA(df, k, a);
      full[tail(a)] += fd;
      full[head(a)] -= fd;
    }
    full[terminal_[k]] -= 1;
    for (int v = 1; v <= V; ++v) {
      if (v == root) continue;
      const double e = kV(rFlow, k, v) + flow[v];
      lv += e * e;
      nv += full[v] * full[v];
    }
    for (int a : live_) {
      const double yt = kV(dy, k, tail(a)) - kV(dy, k, head(a));
      const double dfa = kA(df, k, a), dsa = kA(ds, k, a), dwa = kA(dw, k, a);
      const double dzsa = kA(dzs, k, a), dzfa = kA(dzf, k, a);
      const double e1 = kA(rCouple, k, a) + dx[a] - dsa - dfa;
      const double e2 = kA(rDualS, k, a) + dzsa - dwa;
      const double e3 = dzfa + kA(rDualF, k, a) - dwa + yt;
      const double e4 = dfa * kA(zf, k, a) + kA(f, k, a) * dzfa + kA(zf, k, a) * kA(f, k, a) - muy;
      const double e5 = dsa * kA(zs, k, a) + kA(s, k, a) * dzsa + kA(zs, k, a) * kA(s, k, a) - mul;
      lw += e1 * e1;
      ll += e2 * e2;
      ly += e3 * e3;
      lcy += e4 * e4;
      lcl += e5 * e5;
      const double n1 = (x[a] + dx[a]) - (kA(s, k, a) + dsa) - (kA(f, k, a) + dfa);
      const double n2 = (kA(zs, k, a) + dzsa) - (kA(w, k, a) + dwa);
      const double n3 = (kA(zf, k, a) + dzfa) - (kA(w, k, a) + dwa) + (kV(y, k, tail(a)) - kV(y, k, head(a))) + yt;
      nw += n1 * n1;
      nl += n2 * n2;
      ny += n3 * n3;
    }
  }
  for (int a : live_) {
    double e = rCost[a] + (ipPositivX ? dzx[a] : 0.0), full = -cost(a) + (ipPositivX ? zx[a] + dzx[a] : 0.0);
    for (int k = 1; k <= K; ++k) {
      e += kA(dw, k, a);
      full += kA(w, k, a) + kA(dw, k, a);
    }
    lx += e * e;
    nx += full * full;
  }
  log(4) << "\ndelta=r error";
  log(4) << " v:" << lv << ", w:" << lw << ", x:" << lx << ", l:" << ll << ", y:" << ly << ", y/sy:" << lcy
         << ", l/sl:" << lcl << ", sum: " << (lv + lw + lx + ll + ly + lcy + lcl);
  log(4) << "\ndelta+x error " << "v:" << nv << ", w:" << nw << ", x:" << nx << ", l:" << nl << ", y:" << ny
         << ", sum: " << (nv + nw + nx + nl + ny) << std::endl;
  lastLinearError_ = lv + lw + lx + ll + ly + lcy + lcl;
}

}  // namespace tesmo
