#include "motion/skills/readings.h"
