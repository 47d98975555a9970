#include "imaging/ImageData.h"

ImageData CurImage;
