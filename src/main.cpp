// die_roll: rolls a slightly unfair die as often as asked and reports the
// counts and their chi-squared statistic against a fair die.
#include <iostream>

#include "dialogue.h"
#include "experiment.h"

int main()
{
    seed_die();
    run_dialogue(std::cin, std::cout, std::cerr);
    return 0;
}
