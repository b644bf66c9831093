// Layer graphics: layer images, pixel spans, blend tables, compositor,
// workers, codecs. The public face of src/graphics/.
#pragma once
