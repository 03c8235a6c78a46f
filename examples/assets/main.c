/* Draws the ship, and each frame of its animation, as text. The pictures
 * come from tobrin.toml, made by tobrin_add_assets() before this compiles. */
#include <stdio.h>

#include "gfx/ship.h"
#include "gfx/ship_anim.h"

int main(void)
{
    /* msb: a byte a row, the leftmost pixel in bit 7. */
    for (int y = 0; y < SHIP_HEIGHT; ++y) {
        for (int x = 0; x < SHIP_WIDTH; ++x)
            putchar(ship[y] >> (7 - x) & 1 ? '#' : '.');
        putchar('\n');
    }
    /* pages: a byte a column, the top row in bit 0. */
    for (int f = 0; f < SHIP_ANIM_FRAMES; ++f)
        for (int y = 0; y < SHIP_ANIM_HEIGHT; ++y) {
            for (int x = 0; x < SHIP_ANIM_WIDTH; ++x)
                putchar(ship_anim[f][x] >> y & 1 ? '#' : '.');
            putchar('\n');
        }
    return 0;
}
