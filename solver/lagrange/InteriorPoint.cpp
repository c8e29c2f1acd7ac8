#include "InteriorPoint.h"

#include "Check.h"
#include "LogStream.h"
#include "SearchPath.h"
#include "Shell.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tesmo {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

}  // namespace

void ip(ReduceGraph& R) {
  if (R.overflowMode) R.rebuildAdjacency();
  ipClass method(R);
  method.ipDriver();
}

ipClass::ipClass(ReduceGraph& R) : V(R.V), A(2 * R.E), K(R.R - 1), root(R.R >= 1 ? R.terminals[R.R] : 0), nR(R.R), R_(R) {
  log(3) << "RealSize is " << static_cast<int>(sizeof(double)) << " (double)" << std::endl;
  for (int a = 1; a <= A; ++a)
    if (!R.delE[a]) live_.push_back(a);
  if (K < 1 || live_.empty()) return;
  shell.echoLevel = 3;
  memoryLimitMB = shell.Fget("ipMemoryLimit", 2048.0);
  shell.echoLevel = 0;
  if (!memoryFits()) return;
  terminal_.assign(K + 1, 0);
  for (int k = 1; k <= K; ++k) terminal_[k] = R.terminals[k];
  const std::size_t arcs = A + 1, kArcs = static_cast<std::size_t>(K) * arcs;
  const std::size_t kVertices = static_cast<std::size_t>(K) * (V + 1);
  for (auto* v : {&x, &zx, &dzx, &dx, &rCost, &rhsX, &Dx, &r, &p, &q, &Ar, &b, &sx}) v->assign(arcs, 0.0);
  for (auto* v : {&f, &s, &w, &zs, &zf, &df, &ds, &dw, &dzs, &dzf, &rCouple, &rDualF, &rDualS, &D, &Ew})
    v->assign(kArcs, 0.0);
  for (auto* v : {&y, &dy, &rFlow, &rhsY, &sy}) v->assign(kVertices, 0.0);
  work.assign(V + 1, 0.0);
  fullFlow_.assign(V + 1, 0.0);
  stopReason_ = 0;
}

ipClass::~ipClass() {
  log(3) << "\nexiting ipClass" << std::endl;
  if (trace_.is_open()) {
    trace_ << "\n";
    trace_.close();
  }
}

// 15 K x A and 5 K x V arrays and the arc vectors; the factors are checked once their size is
// known.
double ipClass::allocatedMB() const {
  const double doubles = 15.0 * K * (A + 1.0) + 5.0 * K * (V + 1.0) + 14.0 * (A + 1.0) + (V + 1.0);
  return doubles * sizeof(double) / (1024.0 * 1024.0);
}

bool ipClass::memoryFits() {
  const double mb = allocatedMB();
  if (mb <= memoryLimitMB) return true;
  log(1) << "ip: the interior point needs about " << mb << " MB (ipMemoryLimit " << memoryLimitMB
         << "), not run\n";
  return false;
}

void ipClass::readOptions() {
  shell.echoLevel = 3;
  loadVars = shell.Iget("loadVars", 0);
  saveVars = shell.Iget("saveVars", 0);
  writePython = shell.Iget("writePython", 0);
  ipMaxIter = shell.Iget("ipMaxIter", 1000);
  ipStartZero = shell.Iget("ipStartZero", 1);
  ipPositivX = shell.Iget("ipPositivX", 0);
  ipBorder = shell.Fget("ipBorder", 0.9);
  ipRhoStart = shell.Fget("ipRhoStart", 0.999);
  ipRhoStep = shell.Fget("ipRhoStep", 0.5);
  ipRhoReset = shell.Iget("ipRhoReset", 0);
  rhoAdaptive = shell.Iget("rhoAdaptive", 1);
  ipMaxScale = shell.Fget("ipMaxScale", 1.0);
  ipError = shell.Fget("ipError", 0.5);
  ipRebalanceW = shell.Fget("ipRebalanceW", 0.9);
  pcgDirect = shell.Iget("pcgDirect", 0);
  pcgError = shell.Fget("pcgError", 1e-5);
  pcgAdaptive = shell.Iget("pcgAdaptive", 100);
  pcgRecalc = shell.Iget("pcgRecalc", 20000);
  pcgMaxSteps = shell.Iget("pcgMaxSteps", 20 * static_cast<int>(live_.size()) + 100);
  shell.Iget("checkPcg", 1);
  const char* writeName = shell.Sget("writeName", nullptr);
  writeVerbose = shell.Iget("writeVerbose", 1);
  shell.echoLevel = 0;
  if (writeName && *writeName && writeVerbose != 0) {
    const std::string path = writePath ? SearchPath::makePath(writePath->firstDirectory(), writeName) : writeName;
    trace_.open(path, std::ios::trunc);
    writeTraceStart();
    log(3) << "writeName: " << path << std::endl;
  } else {
    writeVerbose = 0;
  }
}

void ipClass::constantStart() {
  const double v = ipStartZero == 2 ? 0.5 : 0.9;
  for (int a : live_) {
    x[a] = v;
    dx[a] = 0;
    if (ipPositivX) {
      // A cheap slot would start with a negative slack; it gets a small positive one instead.
      zx[a] = std::max(cost(a) - v, 1e-3);
      dzx[a] = 0;
    }
  }
  for (int k = 1; k <= K; ++k) {
    for (int u = 1; u <= V; ++u) {
      kV(y, k, u) = u == root ? 0 : v;
      kV(dy, k, u) = 0;
    }
    for (int a : live_) {
      kA(w, k, a) = v;
      kA(zs, k, a) = v;
      kA(f, k, a) = 2 * v;
      kA(zf, k, a) = v;
      kA(s, k, a) = v;
    }
  }
}

void ipClass::ipErrors() {
  const double count = static_cast<double>(K) * static_cast<double>(live_.size());
  double sumF = 0, sumS = 0, sumX = 0;
  for (int k = 1; k <= K; ++k)
    for (int a : live_) {
      sumF += kA(zf, k, a) * kA(f, k, a);
      sumS += kA(zs, k, a) * kA(s, k, a);
    }
  muy = rho * sumF / count;
  mul = rho * sumS / count;
  if (ipPositivX) {
    for (int a : live_) sumX += zx[a] * x[a];
    mux = rho * sumX / static_cast<double>(live_.size());
  }
  for (int a : live_) {
    rCost[a] = -cost(a) + (ipPositivX ? zx[a] : 0.0);
    rhsX[a] = cost(a) - (ipPositivX ? mux / x[a] : 0.0);
    Dx[a] = ipPositivX ? zx[a] / x[a] : 0.0;
  }
  primalerror = dualerror = 0;
  dualcost = 0;
  for (int k = 1; k <= K; ++k) {
    double* rf = rowV(rFlow, k);
    double* ry = rowV(rhsY, k);
    double* yk = rowV(y, k);
    const double* fk = rowA(f, k);
    std::fill(rf, rf + V + 1, 0.0);
    for (int a : live_) {
      rf[tail(a)] += fk[a];
      rf[head(a)] -= fk[a];
    }
    rf[terminal_[k]] -= 1.0;
    rf[root] = 0;
    yk[root] = 0;
    for (int v = 0; v <= V; ++v) ry[v] = -rf[v];
    for (int a : live_) {
      const int t = tail(a), h = head(a);
      const double fa = fk[a], sa = kA(s, k, a), za = kA(zf, k, a), zsa = kA(zs, k, a), wa = kA(w, k, a);
      const double rc = x[a] - fa - sa;
      const double rdf = za - wa + yk[t] - yk[h];
      const double rds = zsa - wa;
      kA(rCouple, k, a) = rc;
      kA(rDualF, k, a) = rdf;
      kA(rDualS, k, a) = rds;
      rCost[a] += wa;
      rhsX[a] -= wa;
      const double den = sa * za + fa * zsa;
      kA(D, k, a) = sa * fa / den;
      kA(Ew, k, a) = fa * zsa / den;
      Dx[a] += za * zsa / den;
      const double g = -(sa * fa * (zsa - rds + rdf - za) + sa * muy + fa * (zsa * rc - mul)) / den;
      ry[t] += g;
      ry[h] -= g;
      rhsX[a] -= (za * ((rds - zsa) * sa + mul) + zsa * ((rdf - za) * fa + muy - za * rc)) / den;
      primalerror += std::fabs(rc);
      dualerror += std::fabs(rdf) + std::fabs(rds);
    }
    ry[root] = 0;
    for (int v = 1; v <= V; ++v)
      if (v != root) primalerror += std::fabs(rf[v]);
    dualcost += yk[terminal_[k]];
  }
  primalcost = 0;
  for (int a : live_) {
    dualerror += std::fabs(rCost[a]);
    primalcost += cost(a) * x[a];
  }
  log(3) << "primalerror" << ":" << primalerror << ", " << "dualerror" << ":" << dualerror << ", "
         << "primalcost" << ":" << primalcost << ", " << "dualcost" << ":" << dualcost << ", " << std::endl;
  if (pcgAdaptive != 0) {
    pcgError = (primalcost - dualcost + primalerror + dualerror) / pcgAdaptive;
    log(3) << "pcgError" << ":" << pcgError << ", " << std::endl;
  }
}

void ipClass::backSubstitution() {
  int rebalanced = 0;
  for (int k = 1; k <= K; ++k) {
    const double* dyk = rowV(dy, k);
    for (int a : live_) {
      const double fa = kA(f, k, a), sa = kA(s, k, a), za = kA(zf, k, a), zsa = kA(zs, k, a);
      const double rc = kA(rCouple, k, a), rdf = kA(rDualF, k, a), rds = kA(rDualS, k, a);
      const double den = sa * za + fa * zsa;
      const double bdy = dyk[tail(a)] - dyk[head(a)];
      const double dsa = (fa * mul + sa * (fa * (rds - zsa - rdf + za - bdy) + za * (rc + dx[a]) - muy)) / den;
      const double dfa = dx[a] - dsa + rc;
      kA(ds, k, a) = dsa;
      kA(df, k, a) = dfa;
      kA(dzf, k, a) = (muy - za * dfa) / fa - za;
      kA(dzs, k, a) = (mul - zsa * dsa) / sa - zsa;
      kA(dw, k, a) = (mul / sa + rds - zsa) -
                     (za * (rc + dx[a]) + fa * (rds - zsa - rdf + za - bdy) - muy + mul * fa / sa) * zsa / den;
    }
  }
  for (int a : live_) {
    if (ipPositivX) dzx[a] = (mux - zx[a] * dx[a]) / x[a] - zx[a];
    double excess = rCost[a] + (ipPositivX ? dzx[a] : 0.0);
    for (int k = 1; k <= K; ++k) excess += kA(dw, k, a);
    if (std::fabs(excess) <= ipRebalanceW) continue;
    ++rebalanced;
    if (ipPositivX) {
      dzx[a] -= excess;
    } else {
      for (int k = 1; k <= K; ++k) kA(dw, k, a) -= excess / K;
    }
  }
  if (rebalanced != 0) log(3) << "Rebalancing W:" << rebalanced << std::endl;
}

void ipClass::ipStep() {
  double primalScale = ipMaxScale, dualScale = ipMaxScale;
  auto limit = [](double& scale, double value, double step) {
    if (step < 0) scale = std::min(scale, -value / step);
  };
  for (int k = 1; k <= K; ++k)
    for (int a : live_) {
      limit(primalScale, kA(f, k, a), kA(df, k, a));
      limit(primalScale, kA(s, k, a), kA(ds, k, a));
      limit(dualScale, kA(zs, k, a), kA(dzs, k, a));
      limit(dualScale, kA(zf, k, a), kA(dzf, k, a));
    }
  if (ipPositivX)
    for (int a : live_) {
      limit(primalScale, x[a], dx[a]);
      limit(dualScale, zx[a], dzx[a]);
    }
  log(3) << "primalScale" << ":" << primalScale << ", " << "dualScale" << ":" << dualScale << ", " << "ipBorder"
         << ":" << ipBorder << ", " << std::endl;
  primalScale *= ipBorder;
  dualScale *= ipBorder;
  for (int a : live_) {
    x[a] += primalScale * dx[a];
    if (ipPositivX) zx[a] += dualScale * dzx[a];
  }
  for (int k = 1; k <= K; ++k) {
    double* yk = rowV(y, k);
    const double* dyk = rowV(dy, k);
    for (int v = 1; v <= V; ++v)
      if (v != root) yk[v] += dualScale * dyk[v];
    for (int a : live_) {
      kA(f, k, a) += primalScale * kA(df, k, a);
      kA(s, k, a) += primalScale * kA(ds, k, a);
      kA(w, k, a) += dualScale * kA(dw, k, a);
      kA(zs, k, a) += dualScale * kA(dzs, k, a);
      kA(zf, k, a) += dualScale * kA(dzf, k, a);
    }
  }
  if (rhoAdaptive != 0) {
    rho = primalScale >= 0.5 && dualScale >= 0.5 ? rho * ipRhoStep : ipRhoStart;
  } else if (ipRhoReset > 0 && iteration % ipRhoReset == 0) {
    rho = ipRhoStart;  // ipRhoReset 0: never reset
  } else {
    rho *= ipRhoStep;
  }
}

bool ipClass::factorise() {
  log(3) << "Filling Nonzero-Structure\n";
  log(3) << "Numeric Factorisation\n";
  for (int k = 1; k <= K; ++k) {
    log(4) << "." << std::flush;
    if (!chol_.numeric(R_, k, rowA(D, k))) {
      log(2) << "ip: zero or invalid pivot at vertex " << chol_.failedVertex() << " (commodity " << k
             << "), stopped\n";
      return false;
    }
  }
  return true;
}

void ipClass::ipDriver() {
  if (stopReason_ == 3) {
    log(3) << "ip: nothing to solve\n";
    return;
  }
  readOptions();
  rho = ipRhoStart;
  bool started = false;
  if (loadVars != 0) {
    started = readVariables();
    if (started) {
      std::fill(dx.begin(), dx.end(), 0.0);
      std::fill(dy.begin(), dy.end(), 0.0);
    }
  }
  if (!started) {
    if (ipStartZero == 0) {
      if (!ascentStart()) {
        stopReason_ = 3;
        return;
      }
    } else {
      constantStart();
    }
    double upper = 0;
    for (int a : live_)
      if (x[a] == 1.0) upper += cost(a);
    log(3) << "upper: " << upper << std::endl;
  }
  iteration = 1;
  if (pcgDirect <= 0) {
    cholOrdering = shell.Iget("cholOrdering", 200);
    const double spareMB = memoryLimitMB - allocatedMB();
    if (!chol_.symbolic(R_, root, K, cholOrdering, spareMB * 1024.0 * 1024.0 / sizeof(double))) {
      log(1) << "ip: the factors of " << K << " commodities exceed ipMemoryLimit " << memoryLimitMB << " MB, not run\n";
      stopReason_ = 3;
      return;
    }
    factored_ = true;
  }
  ipErrors();
  for (;;) {
    log(3) << "\nIP: " << iteration << std::endl;
    log(3) << "mul/rho" << ":" << (mul / rho) << ", " << "muy/rho" << ":" << (muy / rho) << ", " << "rho" << ":"
           << rho << ", " << std::endl;
    if (saveVars != 0) saveVariables();
    if (writePython != 0) writePythonMatrix();
    if (pcgDirect <= 0) {
      if (!factorise()) {
        stopReason_ = 2;
        break;
      }
      schurSolve();
      backSubstitution();
    } else if (pcgDirect <= 2) {
      exitWithWarning("\"NO LAPACK!\\n\"", 110, "ip-pcg", R_.warningDump());
      backSubstitution();
    }
    checkSolution();
    ipStep();
    ++iteration;
    ipErrors();
    // The gap counts by its size: a primal cost below the dual one is no sign of convergence.
    const double total = primalerror + dualerror + std::fabs(primalcost - dualcost);
    if (!std::isfinite(total)) {
      log(2) << "ip: the iterates left the finite range, stopped\n";
      stopReason_ = 2;
      break;
    }
    if (total < ipError) {
      stopReason_ = 0;
      break;
    }
    if (iteration >= ipMaxIter) {
      stopReason_ = 1;
      break;
    }
  }
}

}  // namespace tesmo
