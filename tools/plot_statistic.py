#!/usr/bin/python3
"""Plots the chi-squared statistic that the built die_roll reports against
the number of rolls, to show where the die's unfairness becomes visible.

    tools/plot_statistic.py [PATH-TO-die_roll [OUTPUT.svg]]

Defaults: build/die_roll and docs/statistic.svg. Needs Debian's
python3-matplotlib; the program and its tests do not.
"""
import math
import subprocess
import sys

import matplotlib

matplotlib.use("svg")
import matplotlib.pyplot as plt  # noqa: E402

LARGEST = 2_147_483_647
EXPERIMENTS = 8  # per number of rolls
POINTS_PER_DECADE = 4
# The six bands' widths in draws, out of 32768 (see src/experiment.h).
BANDS = [5243, 5243, 5570, 5571, 5570, 5571]
CRITICAL_5_PERCENT = 11.07  # chi-squared, 5 degrees of freedom


def roll_counts():
    """Log-spaced numbers of rolls from 10 to the largest answer."""
    top = math.log10(LARGEST)
    steps = math.ceil((top - 1) * POINTS_PER_DECADE)
    return sorted({round(10 ** (1 + (top - 1) * i / steps)) for i in range(steps + 1)})


def run(program, answers):
    """The statistics die_roll reports for the answers, in order."""
    text = " ".join(str(n) for n in answers) + " 0\n"
    done = subprocess.run([program], input=text.encode(), capture_output=True, check=True)
    lines = done.stdout.decode().splitlines()
    counts = [line for line in lines if line.startswith("The observed counts: ")]
    values = [float(line.split("= ")[1]) for line in lines if "Chi-squared = " in line]
    assert len(values) == len(answers) == len(counts), (len(values), len(answers))
    for n, line in zip(answers, counts):
        assert sum(int(c) for c in line.split(": ")[1].split()) == n, (n, line)
    return values


def expected_mean(n):
    """The statistic's mean for this die: 6 sum p(1-p) + 6 n sum (p - 1/6)^2."""
    p = [b / 32768 for b in BANDS]
    return 6 * sum(q * (1 - q) for q in p) + 6 * n * sum((q - 1 / 6) ** 2 for q in p)


def main():
    program = sys.argv[1] if len(sys.argv) > 1 else "build/die_roll"
    output = sys.argv[2] if len(sys.argv) > 2 else "docs/statistic.svg"
    ns = roll_counts()
    answers = [n for n in ns for _ in range(EXPERIMENTS)]
    values = run(program, answers)
    # A statistic of exactly 0 has no place on a log axis.
    shown = [(n, v) for n, v in zip(answers, values) if v > 0]

    plt.rcParams["svg.hashsalt"] = "die_roll"
    plt.rcParams["svg.fonttype"] = "none"
    fig, ax = plt.subplots(figsize=(8, 5))
    ax.scatter([n for n, _ in shown], [v for _, v in shown], s=9, alpha=0.6,
               label=f"one experiment ({EXPERIMENTS} per number of rolls)")
    line_ns = [10 ** (1 + 0.05 * i) for i in range(int((math.log10(LARGEST) - 1) / 0.05) + 2)]
    ax.plot(line_ns, [expected_mean(n) for n in line_ns], color="C1",
            label="this die's mean, 5.0 + 0.000799 n")
    ax.axhline(5, color="C2", linestyle="--", label="a fair die's mean, 5")
    ax.axhline(CRITICAL_5_PERCENT, color="C3", linestyle=":",
               label="5% critical value, 5 degrees of freedom: 11.07")
    crossing = (CRITICAL_5_PERCENT - expected_mean(0)) / (expected_mean(1) - expected_mean(0))
    ax.axvline(crossing, color="grey", linestyle=":",
               label=f"the mean passes 11.07 near {round(crossing, -2):,.0f} rolls")
    ax.set_xscale("log")
    ax.set_yscale("log")
    ax.set_xlabel("number of rolls")
    ax.set_ylabel("chi-squared statistic")
    ax.set_title("die_roll: the statistic grows with the number of rolls")
    ax.grid(True, which="major", alpha=0.3)
    ax.legend(loc="upper left", fontsize="small")
    fig.tight_layout()
    fig.savefig(output, metadata={"Date": None})
    print(f"{output}: {len(shown)} experiments from {ns[0]} to {ns[-1]} rolls")


if __name__ == "__main__":
    main()
