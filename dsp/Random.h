#pragma once

// The engine's one source of random choices (noise seeds, random LFO steps,
// random arpeggios and pans), in place of rand() so that tests can seed it.
// Same range as rand(): 0..kRandomMax.
constexpr int kRandomMax = 0x7FFFFFFF;

int randomInt();
void seedRandom(unsigned seed);
