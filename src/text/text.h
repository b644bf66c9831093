// Text and messages: message record, typing, line wrap, font slots, glyphs.
#pragma once
