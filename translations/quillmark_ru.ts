<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru" sourcelanguage="en">
<context>
    <name>AboutBox</name>
    <message>
        <source>About Quillmark</source>
        <translation>О программе Quillmark</translation>
    </message>
    <message>
        <source>&lt;h3&gt;Quillmark %1&lt;/h3&gt;&lt;p&gt;OziExplorer calibration files for scanned topographic map sheets,&lt;br&gt;worked out from the sheet name in each image&apos;s file name.&lt;/p&gt;&lt;p&gt;Qt %2&lt;/p&gt;</source>
        <translation>&lt;h3&gt;Quillmark %1&lt;/h3&gt;&lt;p&gt;Файлы привязки OziExplorer для отсканированных листов топографических карт,&lt;br&gt;рассчитанные по номенклатуре листа в имени файла каждого изображения.&lt;/p&gt;&lt;p&gt;Qt %2&lt;/p&gt;</translation>
    </message>
    <message>
        <source>System Info...</source>
        <translation>Сведения о системе...</translation>
    </message>
    <message>
        <source>Information about this computer</source>
        <translation>Сведения об этом компьютере</translation>
    </message>
    <message>
        <source>Operating system: %1
Kernel: %2 %3
CPU architecture: %4
Host name: %5
Qt: %6</source>
        <translation>Операционная система: %1
Ядро: %2 %3
Архитектура процессора: %4
Имя компьютера: %5
Qt: %6</translation>
    </message>
    <message>
        <source>System Info</source>
        <translation>Сведения о системе</translation>
    </message>
</context>
<context>
    <name>CImageInfo</name>
    <message>
        <source>PNG colour depth overflow: bit depth %1 with colour type %2 does not fit in 8 bits</source>
        <translation>Переполнение глубины цвета PNG: глубина %1 бит при типе цвета %2 не помещается в 8 бит</translation>
    </message>
    <message>
        <source>JPEG colour depth overflow: %1 components do not fit in 8 bits</source>
        <translation>Переполнение глубины цвета JPEG: число компонентов %1 не помещается в 8 бит</translation>
    </message>
    <message>
        <source>Cannot open %1: %2</source>
        <translation>Не удаётся открыть %1: %2</translation>
    </message>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>Не удаётся прочитать %1: %2</translation>
    </message>
</context>
<context>
    <name>CornerEdit</name>
    <message>
        <source>it is not an OziExplorer map file</source>
        <translation>это не файл привязки OziExplorer</translation>
    </message>
    <message>
        <source>it has fewer than 4 calibration points</source>
        <translation>в нём меньше 4 точек привязки</translation>
    </message>
    <message>
        <source>its point %1 has no pixel position or no degrees</source>
        <translation>у его точки %1 нет пиксельных координат или градусов</translation>
    </message>
    <message>
        <source>it lacks some of the four MMPXY and four MMPLL lines</source>
        <translation>в нём не хватает строк из четырёх MMPXY и четырёх MMPLL</translation>
    </message>
    <message>
        <source>The map cannot be edited: </source>
        <translation>Файл привязки нельзя править: </translation>
    </message>
</context>
<context>
    <name>CornerEditor</name>
    <message>
        <source>scan: %1</source>
        <translation>скан: %1</translation>
    </message>
    <message>
        <source>Previous</source>
        <translation>Предыдущий</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Следующий</translation>
    </message>
    <message>
        <source>Find frame</source>
        <translation>Найти рамку</translation>
    </message>
    <message>
        <source>Look for the sheet frame in the scan and move the corners onto it</source>
        <translation>Найти рамку листа на скане и перенести углы на неё</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Сохранить</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>Cannot read the map file %1</source>
        <translation>Не удаётся прочитать файл привязки %1</translation>
    </message>
    <message>
        <source>This map cannot be edited: %1</source>
        <translation>Этот файл привязки нельзя править: %1</translation>
    </message>
    <message>
        <source>The image %1 is not beside the map file</source>
        <translation>Изображения %1 нет рядом с файлом привязки</translation>
    </message>
    <message>
        <source>Cannot decode the image %1: %2</source>
        <translation>Не удаётся декодировать изображение %1: %2</translation>
    </message>
    <message>
        <source>Corners of %1</source>
        <translation>Углы листа %1</translation>
    </message>
    <message>
        <source>implausible: %1</source>
        <translation>неправдоподобно: %1</translation>
    </message>
    <message>
        <source>corners up to %1 px from the frame found</source>
        <translation>углы отстоят от найденной рамки до %1 пикс.</translation>
    </message>
    <message>
        <source>changed, not saved</source>
        <translation>изменено, не сохранено</translation>
    </message>
    <message>
        <source>zoom %1 px per image pixel</source>
        <translation>масштаб: %1 пикс. экрана на пиксель изображения</translation>
    </message>
    <message>
        <source>The map file %1 has changed on disk since it was opened. Overwrite it?</source>
        <translation>Файл привязки %1 изменился на диске после открытия. Перезаписать его?</translation>
    </message>
    <message>
        <source>The map file %1 is gone or cannot be read since it was opened. Write it anew?</source>
        <translation>Файл привязки %1 после открытия исчез или не читается. Записать его заново?</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Ошибка</translation>
    </message>
    <message>
        <source>The corners of %1 have changed. Save the map file?</source>
        <translation>Углы листа %1 изменены. Сохранить файл привязки?</translation>
    </message>
    <message>
        <source>The frame cannot be looked for: %1</source>
        <translation>Рамку нельзя искать: %1</translation>
    </message>
    <message>
        <source>No frame found: %1</source>
        <translation>Рамка не найдена: %1</translation>
    </message>
    <message>
        <source>Finding the frame…</source>
        <translation>Поиск рамки…</translation>
    </message>
    <message>
        <source>%1  —  %2 (%3 of %4)</source>
        <translation>%1  —  %2 (%3 из %4)</translation>
    </message>
</context>
<context>
    <name>CornerMarkers</name>
    <message>
        <source>OziExplorer map corner markers generator</source>
        <translation>Угловые маркеры файлов привязки OziExplorer</translation>
    </message>
    <message>
        <source>Set  markers</source>
        <translation>Записать маркеры</translation>
    </message>
    <message>
        <source>Rewrite the four corner markers of every map file of the folder</source>
        <translation>Переписать четыре угловых маркера в каждом файле привязки папки</translation>
    </message>
    <message>
        <source>Select directory with OziExplorer map-files</source>
        <translation>Выберите папку с файлами привязки OziExplorer</translation>
    </message>
</context>
<context>
    <name>CornerMarkersRun</name>
    <message>
        <source>Map </source>
        <translation>Файл привязки </translation>
    </message>
    <message>
        <source>. Map don&apos;t process</source>
        <translation>. Файл не обработан</translation>
    </message>
    <message>
        <source>is not an OziExplorer map file</source>
        <translation>не является файлом привязки OziExplorer</translation>
    </message>
    <message>
        <source>has more then 4 corner markers</source>
        <translation>содержит более 4 угловых маркеров</translation>
    </message>
    <message>
        <source>lacks some of the four MMPXY and four MMPLL lines</source>
        <translation>не содержит всех четырёх строк MMPXY и четырёх строк MMPLL</translation>
    </message>
    <message>
        <source>has fewer than 4 calibration points with pixel positions</source>
        <translation>содержит менее 4 точек привязки с пиксельными координатами</translation>
    </message>
    <message>
        <source>has no 4 distinct corner points with valid coordinates</source>
        <translation>не содержит 4 различных угловых точек с верными координатами</translation>
    </message>
    <message>
        <source>Set corner markers for </source>
        <translation>Запись угловых маркеров: </translation>
    </message>
    <message>
        <source>has corner points that cannot be used: %1</source>
        <translation>содержит непригодные для углов точки: %1</translation>
    </message>
</context>
<context>
    <name>CornerPoints</name>
    <message>
        <source>%1 has no %2</source>
        <translation>%1: поле «%2» пусто</translation>
    </message>
    <message>
        <source>%1&apos;s %2 &quot;%3&quot; is not a number</source>
        <translation>%1: %2 «%3» — не число</translation>
    </message>
    <message>
        <source>%1&apos;s %2 &quot;%3&quot; is not within %4..%5</source>
        <translation>%1: %2 «%3» вне пределов %4..%5</translation>
    </message>
    <message>
        <source>%1 is missing</source>
        <translation>%1 отсутствует</translation>
    </message>
    <message>
        <source>%1 has no pixel position</source>
        <translation>у %1 нет пиксельных координат</translation>
    </message>
    <message>
        <source>%1 (%2, %3) lies beyond the image (%4 x %5)</source>
        <translation>%1 (%2, %3) лежит за пределами изображения (%4 x %5)</translation>
    </message>
    <message>
        <source>latitude</source>
        <translation>широта</translation>
    </message>
    <message>
        <source>latitude minutes</source>
        <translation>минуты широты</translation>
    </message>
    <message>
        <source>longitude</source>
        <translation>долгота</translation>
    </message>
    <message>
        <source>longitude minutes</source>
        <translation>минуты долготы</translation>
    </message>
</context>
<context>
    <name>CornerView</name>
    <message>
        <source>NW</source>
        <translation>СЗ</translation>
    </message>
    <message>
        <source>NE</source>
        <translation>СВ</translation>
    </message>
    <message>
        <source>SE</source>
        <translation>ЮВ</translation>
    </message>
    <message>
        <source>SW</source>
        <translation>ЮЗ</translation>
    </message>
    <message>
        <source>No image</source>
        <translation>Нет изображения</translation>
    </message>
</context>
<context>
    <name>CoverageView</name>
    <message>
        <source>No sheet with latitudes and longitudes</source>
        <translation>Нет листов с широтами и долготами</translation>
    </message>
</context>
<context>
    <name>FindSheet</name>
    <message>
        <source>Find sheet</source>
        <translation>Поиск листа</translation>
    </message>
    <message>
        <source>decimal degrees, south negative</source>
        <translation>десятичные градусы, юг со знаком минус</translation>
    </message>
    <message>
        <source>decimal degrees, west negative</source>
        <translation>десятичные градусы, запад со знаком минус</translation>
    </message>
    <message>
        <source>Latitude</source>
        <translation>Широта</translation>
    </message>
    <message>
        <source>Longitude</source>
        <translation>Долгота</translation>
    </message>
    <message>
        <source>Map Scale</source>
        <translation>Масштаб карты</translation>
    </message>
    <message>
        <source>Sheet</source>
        <translation>Лист</translation>
    </message>
    <message>
        <source>Corners</source>
        <translation>Углы</translation>
    </message>
    <message>
        <source>Copy name</source>
        <translation>Копировать номенклатуру</translation>
    </message>
    <message>
        <source>Enter a latitude and a longitude</source>
        <translation>Введите широту и долготу</translation>
    </message>
    <message>
        <source>Latitude and longitude are decimal degrees, for example 55.75 and 37.62</source>
        <translation>Широта и долгота вводятся в десятичных градусах, например 55.75 и 37.62</translation>
    </message>
    <message>
        <source>north-west %1
north-east %2
south-east %3
south-west %4</source>
        <translation>северо-запад %1
северо-восток %2
юго-восток %3
юго-запад %4</translation>
    </message>
</context>
<context>
    <name>FolderLinks</name>
    <message>
        <source>it is a link to %1, which does not exist</source>
        <translation>это ссылка на %1, которого не существует</translation>
    </message>
    <message>
        <source>it is a link to %1, outside its folder</source>
        <translation>это ссылка на %1 за пределами своей папки</translation>
    </message>
</context>
<context>
    <name>FolderListing</name>
    <message>
        <source>Cannot read the name of file %1 in folder %2 (read as Windows-1251: %3): the name is not valid in the file system&apos;s encoding, rename the file</source>
        <translation>Не удаётся прочитать имя файла %1 в папке %2 (в кодировке Windows-1251: %3): имя не подходит к кодировке файловой системы, переименуйте файл</translation>
    </message>
</context>
<context>
    <name>FolderToolWindow</name>
    <message>
        <source>Map files path: </source>
        <translation>Папка файлов привязки: </translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Обзор</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
</context>
<context>
    <name>FrameEdge</name>
    <message>
        <source>north</source>
        <translation>северной</translation>
    </message>
    <message>
        <source>east</source>
        <translation>восточной</translation>
    </message>
    <message>
        <source>south</source>
        <translation>южной</translation>
    </message>
    <message>
        <source>west</source>
        <translation>западной</translation>
    </message>
</context>
<context>
    <name>FrameFinder</name>
    <message>
        <source>the image is too small for a sheet (%1 x %2 pixels)</source>
        <translation>изображение слишком мало для листа (%1 x %2 пикс.)</translation>
    </message>
    <message>
        <source>out of memory reducing the image</source>
        <translation>не хватило памяти для уменьшения изображения</translation>
    </message>
    <message>
        <source>no long straight line along the %1 edge</source>
        <translation>нет длинной прямой линии вдоль %1 стороны</translation>
    </message>
    <message>
        <source>no four long lines make a frame of the sheet&apos;s shape</source>
        <translation>никакие четыре длинные линии не образуют рамку формы этого листа</translation>
    </message>
    <message>
        <source>no lines of the sheet&apos;s shape cross at the corners and run on outwards like a frame&apos;s</source>
        <translation>линии формы листа не пересекаются в углах и не продолжаются за углы наружу, как линии рамки</translation>
    </message>
    <message>
        <source>two frames fit the scan almost equally well, %1 pixels apart</source>
        <translation>две рамки, отстоящие на %1 пикс., почти одинаково хорошо подходят к скану</translation>
    </message>
    <message>
        <source>another long line runs along the %1 edge just outside the frame</source>
        <translation>вдоль %1 стороны сразу за рамкой идёт ещё одна длинная линия</translation>
    </message>
    <message>
        <source>the lines found are no frame: there is no more map inside them than outside</source>
        <translation>найденные линии — не рамка: внутри них карты не больше, чем снаружи</translation>
    </message>
    <message>
        <source>the line found along the %1 edge is turned against the lines printed outside it</source>
        <translation>линия, найденная вдоль %1 стороны, повёрнута относительно линий, напечатанных за ней</translation>
    </message>
    <message>
        <source>the frame found leaves %1 mm of the scan outside its %2 edge, more than a sheet&apos;s margin</source>
        <translation>за %2 стороной найденной рамки остаётся %1 мм скана, больше полей листа</translation>
    </message>
</context>
<context>
    <name>FrameImage</name>
    <message>
        <source>the image has no pixels</source>
        <translation>в изображении нет пикселей</translation>
    </message>
    <message>
        <source>the image is %1 x %2 pixels: a map file holds at most %3 pixels a side</source>
        <translation>изображение %1 x %2 пикс.: файл привязки допускает не более %3 пикс. по стороне</translation>
    </message>
    <message>
        <source>the image is %1 x %2 pixels: too large to decode</source>
        <translation>изображение %1 x %2 пикс.: слишком велико для декодирования</translation>
    </message>
    <message>
        <source>cannot open the image: %1</source>
        <translation>не удаётся открыть изображение: %1</translation>
    </message>
    <message>
        <source>cannot decode the image: %1</source>
        <translation>не удаётся декодировать изображение: %1</translation>
    </message>
    <message>
        <source>cannot decode the image</source>
        <translation>не удаётся декодировать изображение</translation>
    </message>
    <message>
        <source>cannot decode the image: out of memory</source>
        <translation>не удаётся декодировать изображение: не хватает памяти</translation>
    </message>
</context>
<context>
    <name>FrameLookahead</name>
    <message>
        <source>the frame finder failed</source>
        <translation>сбой поиска рамки</translation>
    </message>
</context>
<context>
    <name>FrameShape</name>
    <message>
        <source>the sheet&apos;s corners cannot be computed</source>
        <translation>углы листа не вычисляются</translation>
    </message>
    <message>
        <source>the sheet&apos;s corners do not span an area</source>
        <translation>углы листа не ограничивают площадь</translation>
    </message>
    <message>
        <source>the corners do not span a quadrilateral</source>
        <translation>углы не образуют четырёхугольник</translation>
    </message>
    <message>
        <source>the corners do not make a convex frame</source>
        <translation>углы не образуют выпуклую рамку</translation>
    </message>
    <message>
        <source>the frame&apos;s %1 edge is %2 of the %3 edge, the sheet&apos;s is %4</source>
        <translation>длина %1 стороны рамки составляет %2 от длины %3, у листа — %4</translation>
    </message>
    <message>
        <source>the frame&apos;s west and east edges differ in length</source>
        <translation>западная и восточная стороны рамки различаются по длине</translation>
    </message>
    <message>
        <source>the frame&apos;s height to width is %1, the sheet&apos;s is %2</source>
        <translation>отношение высоты рамки к ширине — %1, у листа — %2</translation>
    </message>
    <message>
        <source>the frame&apos;s corner angle is %1 degrees, the sheet&apos;s is %2</source>
        <translation>угол в вершине рамки — %1°, у листа — %2°</translation>
    </message>
    <message>
        <source>south</source>
        <translation>южной</translation>
    </message>
    <message>
        <source>north</source>
        <translation>северной</translation>
    </message>
</context>
<context>
    <name>GetPath</name>
    <message>
        <source>Folder:</source>
        <translation>Папка:</translation>
    </message>
    <message>
        <source>Drive:</source>
        <translation>Диск:</translation>
    </message>
    <message>
        <source>Double-click a folder to open it</source>
        <translation>Дважды щёлкните папку, чтобы открыть её</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Файлы</translation>
    </message>
    <message>
        <source>Listed: %1</source>
        <translation>Показаны: %1</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>Папки</translation>
    </message>
    <message>
        <source>The chosen folder; the lists follow a typed or pasted path, and OK takes it</source>
        <translation>Выбранная папка; списки следуют за набранным или вставленным путём, OK принимает его</translation>
    </message>
    <message>
        <source>The last folders used, to pick again</source>
        <translation>Последние папки, чтобы выбрать снова</translation>
    </message>
    <message>
        <source>Recent:</source>
        <translation>Недавние:</translation>
    </message>
    <message>
        <source>New folder</source>
        <translation>Новая папка</translation>
    </message>
    <message>
        <source>Make a folder inside the current one and go there</source>
        <translation>Создать папку внутри текущей и перейти в неё</translation>
    </message>
    <message>
        <source>%1 is not a folder.</source>
        <translation>%1 — не папка.</translation>
    </message>
    <message>
        <source>The folder %1 does not exist.</source>
        <translation>Папка %1 не существует.</translation>
    </message>
    <message>
        <source>Name of the new folder in %1:</source>
        <translation>Имя новой папки в %1:</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be the name of a folder.</source>
        <translation>«%1» не может быть именем папки.</translation>
    </message>
    <message>
        <source>%1 is there already.</source>
        <translation>%1 уже существует.</translation>
    </message>
    <message>
        <source>The folder %1 could not be made.</source>
        <translation>Не удалось создать папку %1.</translation>
    </message>
    <message>
        <source>Pick a folder used before</source>
        <translation>Выберите папку, использованную раньше</translation>
    </message>
    <message>
        <source>None yet</source>
        <translation>Пока нет</translation>
    </message>
</context>
<context>
    <name>GuiRunObserver</name>
    <message>
        <source>Don&apos;t ask again in this run</source>
        <translation>Больше не спрашивать в этом запуске</translation>
    </message>
    <message>
        <source>File %1</source>
        <translation>Файл %1</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>&amp;Utility</source>
        <translation>&amp;Сервис</translation>
    </message>
    <message>
        <source>Map creator</source>
        <translation>Создание файлов привязки</translation>
    </message>
    <message>
        <source>Map list creator</source>
        <translation>Список файлов привязки</translation>
    </message>
    <message>
        <source>Corner markers</source>
        <translation>Угловые маркеры</translation>
    </message>
    <message>
        <source>Image path remover</source>
        <translation>Удаление путей к изображениям</translation>
    </message>
    <message>
        <source>Find sheet</source>
        <translation>Поиск листа</translation>
    </message>
    <message>
        <source>Check calibration</source>
        <translation>Проверка привязки</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>В&amp;ыход</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Справка</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>&amp;О программе</translation>
    </message>
    <message>
        <source>&amp;Map creator</source>
        <translation>&amp;Создание файлов привязки</translation>
    </message>
    <message>
        <source>Map &amp;list creator</source>
        <translation>С&amp;писок файлов привязки</translation>
    </message>
    <message>
        <source>&amp;Corner markers</source>
        <translation>&amp;Угловые маркеры</translation>
    </message>
    <message>
        <source>&amp;Image path remover</source>
        <translation>Удаление путей к &amp;изображениям</translation>
    </message>
    <message>
        <source>&amp;Find sheet</source>
        <translation>Поиск &amp;листа</translation>
    </message>
    <message>
        <source>C&amp;heck calibration</source>
        <translation>Про&amp;верка привязки</translation>
    </message>
    <message>
        <source>Calibration files for scanned topographic map sheets. Choose a tool; drop a folder here to make it the current folder.</source>
        <translation>Файлы привязки для отсканированных листов топографических карт. Выберите инструмент; перетащите сюда папку, чтобы сделать её текущей.</translation>
    </message>
    <message>
        <source>Writes a map file for every sheet image of a folder</source>
        <translation>Создаёт файл привязки для каждого изображения листа в папке</translation>
    </message>
    <message>
        <source>Lists the map files of a folder in _MapList.csv</source>
        <translation>Составляет список файлов привязки папки в _MapList.csv</translation>
    </message>
    <message>
        <source>Rewrites the corner markers of the map files of a folder</source>
        <translation>Переписывает угловые маркеры файлов привязки папки</translation>
    </message>
    <message>
        <source>Strips the folder from the image paths of map files</source>
        <translation>Убирает папку из путей к изображениям в файлах привязки</translation>
    </message>
    <message>
        <source>Names the sheet that holds a place, at a chosen scale</source>
        <translation>Называет лист выбранного масштаба, на котором лежит точка</translation>
    </message>
    <message>
        <source>Shows each map&apos;s calibration drawn on its scan</source>
        <translation>Показывает привязку каждой карты поверх её скана</translation>
    </message>
    <message>
        <source>Folders</source>
        <translation>Папки</translation>
    </message>
    <message>
        <source>The last folders used: click one to make it the current folder</source>
        <translation>Последние папки: щёлкните, чтобы сделать папку текущей</translation>
    </message>
    <message>
        <source>Last folders used:</source>
        <translation>Последние папки:</translation>
    </message>
    <message>
        <source>Current folder: none chosen yet</source>
        <translation>Текущая папка: ещё не выбрана</translation>
    </message>
    <message>
        <source>Current folder: %1</source>
        <translation>Текущая папка: %1</translation>
    </message>
    <message>
        <source>None yet: the folder of every run is listed here</source>
        <translation>Пока нет: здесь появляется папка каждого запуска</translation>
    </message>
</context>
<context>
    <name>MapCreator</name>
    <message>
        <source>Path to map images</source>
        <translation>Путь к изображениям карт</translation>
    </message>
    <message>
        <source>Map images path: </source>
        <translation>Папка изображений карт: </translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Обзор</translation>
    </message>
    <message>
        <source>Map files path: </source>
        <translation>Папка файлов привязки: </translation>
    </message>
    <message>
        <source>skip if exists</source>
        <translation>пропускать существующие</translation>
    </message>
    <message>
        <source>Find the sheet frame</source>
        <translation>Искать рамку листа</translation>
    </message>
    <message>
        <source>R - Row, C - Column, L - List number</source>
        <translation>R — ряд, C — колонна, L — номер листа</translation>
    </message>
    <message>
        <source>Map Scale</source>
        <translation>Масштаб карты</translation>
    </message>
    <message>
        <source>File name mask</source>
        <translation>Маска имени файла</translation>
    </message>
    <message>
        <source>Calibration Point</source>
        <translation>Точек привязки</translation>
    </message>
    <message>
        <source>Map text</source>
        <translation>Кодировка файла</translation>
    </message>
    <message>
        <source>Top margin %</source>
        <translation>Верхнее поле, %</translation>
    </message>
    <message>
        <source>Bottom margin %</source>
        <translation>Нижнее поле, %</translation>
    </message>
    <message>
        <source>Side margins %</source>
        <translation>Боковые поля, %</translation>
    </message>
    <message>
        <source> Grid </source>
        <translation> Сетка </translation>
    </message>
    <message>
        <source>Lat/Lon</source>
        <translation>Широта/долгота</translation>
    </message>
    <message>
        <source>Meters</source>
        <translation>Километровая</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Нет</translation>
    </message>
    <message>
        <source> Doing now: </source>
        <translation> Выполняется: </translation>
    </message>
    <message>
        <source>Generate</source>
        <translation>Создать</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Select directory with map images</source>
        <translation>Выберите папку с изображениями карт</translation>
    </message>
    <message>
        <source>Select directory for saving OziExplorer map-files</source>
        <translation>Выберите папку для сохранения файлов привязки OziExplorer</translation>
    </message>
    <message>
        <source>By name</source>
        <translation>По имени</translation>
    </message>
    <message>
        <source>Each sheet at the scale its own name reads as, with the point count of that scale: a folder of mixed scales in one run</source>
        <translation>Каждый лист в масштабе, который читается из его собственного имени, с числом точек этого масштаба: папка листов разных масштабов за один проход</translation>
    </message>
    <message>
        <source>By name: each sheet takes the point count last used at its scale (4 at 1:50K and below, 5 above)</source>
        <translation>По имени: каждый лист получает число точек, последнее для его масштаба (4 для 1:50K и крупнее, 5 для мельче)</translation>
    </message>
    <message>
        <source>by scale</source>
        <translation>по масштабу</translation>
    </message>
</context>
<context>
    <name>MapCreatorRun</name>
    <message>
        <source>Error</source>
        <translation>Ошибка</translation>
    </message>
    <message>
        <source>There is error in data. Continue?</source>
        <translation>Ошибка в данных. Продолжить?</translation>
    </message>
    <message>
        <source>is not an OziExplorer map file</source>
        <translation>не является файлом привязки OziExplorer</translation>
    </message>
    <message>
        <source>has no point lines</source>
        <translation>не содержит строк точек</translation>
    </message>
    <message>
        <source>has no corner lines (MMPXY/MMPLL)</source>
        <translation>не содержит строк углов (MMPXY/MMPLL)</translation>
    </message>
    <message>
        <source>Folder </source>
        <translation>Папка </translation>
    </message>
    <message>
        <source> is not exist</source>
        <translation> не существует</translation>
    </message>
    <message>
        <source>Programm can recognize image size only for jpeg, bmp, gif, png. For other format Program use constant (4000*4000)</source>
        <translation>Программа определяет размер изображения только для JPEG, BMP, GIF и PNG. Для других форматов берётся постоянный размер (4000*4000)</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Предупреждение</translation>
    </message>
    <message>
        <source>its name reads as a %1 sheet, not %2: it was calibrated as a %2 sheet</source>
        <translation>по имени это лист масштаба %1, а не %2: он привязан как лист масштаба %2</translation>
    </message>
    <message>
        <source>its map file exists</source>
        <translation>его файл привязки уже есть</translation>
    </message>
    <message>
        <source> Cannot read the image: </source>
        <translation> Не удаётся прочитать изображение: </translation>
    </message>
    <message>
        <source> Image size %1 x %2 is too large (at most 32767)</source>
        <translation> Размер изображения %1 x %2 слишком велик (не более 32767)</translation>
    </message>
    <message>
        <source>its header gives no image size: the map is made for 4000 x 4000</source>
        <translation>в его заголовке нет размера изображения: привязка сделана для 4000 x 4000</translation>
    </message>
    <message>
        <source>Finding the sheet frame in </source>
        <translation>Поиск рамки листа: </translation>
    </message>
    <message>
        <source> The sheet frame was not found (</source>
        <translation> Рамка листа не найдена (</translation>
    </message>
    <message>
        <source>): the map is made from the margins</source>
        <translation>): привязка сделана по полям</translation>
    </message>
    <message>
        <source>Reading map-file for </source>
        <translation>Чтение файла привязки для </translation>
    </message>
    <message>
        <source>Map file </source>
        <translation>Файл привязки </translation>
    </message>
    <message>
        <source>Generating map-file for </source>
        <translation>Создание файла привязки для </translation>
    </message>
    <message>
        <source>Done %1 map-files: %2 from the sheet frame, %3 from the margins</source>
        <translation>Готово, файлов привязки: %1; по рамке листа: %2, по полям: %3</translation>
    </message>
    <message>
        <source>Done %1 map-files</source>
        <translation>Готово, файлов привязки: %1</translation>
    </message>
    <message>
        <source>the sheet frame was not found (</source>
        <translation>рамка листа не найдена (</translation>
    </message>
</context>
<context>
    <name>MapFile</name>
    <message>
        <source>Subscript out of range: line %1 of a map document of %2 lines</source>
        <translation>Индекс вне диапазона: строка %1 в файле привязки из %2 строк</translation>
    </message>
    <message>
        <source>Cannot write the map file &quot;%1&quot;: %2</source>
        <translation>Не удаётся записать файл привязки «%1»: %2</translation>
    </message>
    <message>
        <source>Cannot write the map file &quot;%1&quot;: too many levels of symbolic links</source>
        <translation>Не удаётся записать файл привязки «%1»: слишком много уровней символических ссылок</translation>
    </message>
    <message>
        <source>no free name for a temporary file</source>
        <translation>нет свободного имени для временного файла</translation>
    </message>
    <message>
        <source>nothing could be written</source>
        <translation>ничего не удалось записать</translation>
    </message>
    <message>
        <source>Cannot read the map file: no file name given</source>
        <translation>Не удаётся прочитать файл привязки: не указано имя файла</translation>
    </message>
    <message>
        <source>Cannot read the map file &quot;%1&quot;: %2</source>
        <translation>Не удаётся прочитать файл привязки «%1»: %2</translation>
    </message>
    <message>
        <source>Cannot read the map file &quot;%1&quot;: it is too large for a map file (%2 MB; the limit is %3 MB)</source>
        <translation>Не удаётся прочитать файл привязки «%1»: он слишком велик для файла привязки (%2 МБ; предел — %3 МБ)</translation>
    </message>
    <message>
        <source>Cannot read the map file: %1</source>
        <translation>Не удаётся прочитать файл привязки: %1</translation>
    </message>
    <message>
        <source>Cannot read the map file: the device is not open for reading</source>
        <translation>Не удаётся прочитать файл привязки: устройство не открыто для чтения</translation>
    </message>
    <message>
        <source>Cannot read the map file: it is too large for a map file</source>
        <translation>Не удаётся прочитать файл привязки: он слишком велик для файла привязки</translation>
    </message>
    <message>
        <source>The map has no corner marker line MMPXY %1</source>
        <translation>В файле привязки нет строки углового маркера MMPXY %1</translation>
    </message>
    <message>
        <source>The map has no corner marker line MMPLL %1</source>
        <translation>В файле привязки нет строки углового маркера MMPLL %1</translation>
    </message>
    <message>
        <source> Incorrect 1:1M map row in image name </source>
        <translation> Неверный ряд листа 1:1M в имени изображения </translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Ошибка</translation>
    </message>
    <message>
        <source> Incorrect 1:1M map column number in image name </source>
        <translation> Неверный номер колонны листа 1:1M в имени изображения </translation>
    </message>
    <message>
        <source>Line %1 of the map file holds the character &quot;%2&quot; (U+%3), which cannot be written in %4</source>
        <translation>Строка %1 файла привязки содержит символ «%2» (U+%3), который нельзя записать в %4</translation>
    </message>
    <message>
        <source>the Windows-1251 code page</source>
        <translation>кодировке Windows-1251</translation>
    </message>
    <message>
        <source>Line %1 of the map file holds a line break and cannot be written</source>
        <translation>Строка %1 файла привязки содержит перевод строки и не может быть записана</translation>
    </message>
    <message>
        <source>Cannot write the map file: no file name given</source>
        <translation>Не удаётся записать файл привязки: не указано имя файла</translation>
    </message>
    <message>
        <source>Cannot write the map file &quot;%1&quot;: it is a folder</source>
        <translation>Не удаётся записать файл привязки «%1»: это папка</translation>
    </message>
    <message>
        <source>Cannot write the map file &quot;%1&quot;: the file is read-only</source>
        <translation>Не удаётся записать файл привязки «%1»: файл только для чтения</translation>
    </message>
    <message>
        <source>Subscript out of range: point %1</source>
        <translation>Индекс вне диапазона: точка %1</translation>
    </message>
    <message>
        <source>Subscript out of range: corner %1</source>
        <translation>Индекс вне диапазона: угол %1</translation>
    </message>
    <message>
        <source>The map has no point lines: Point%1 cannot be written</source>
        <translation>В файле привязки нет строк точек: Point%1 не записать</translation>
    </message>
    <message>
        <source>The map has no line %1 where it is expected (line %2)</source>
        <translation>В файле привязки нет строки %1 там, где она ожидается (строка %2)</translation>
    </message>
</context>
<context>
    <name>MapFileNames</name>
    <message>
        <source>There is error in data. Continue?</source>
        <translation>Ошибка в данных. Продолжить?</translation>
    </message>
</context>
<context>
    <name>MapFolderWalk</name>
    <message>
        <source>Folder </source>
        <translation>Папка </translation>
    </message>
    <message>
        <source> is not exist</source>
        <translation> не существует</translation>
    </message>
    <message>
        <source>Map </source>
        <translation>Файл привязки </translation>
    </message>
    <message>
        <source>Done %1 map-files</source>
        <translation>Готово, файлов привязки: %1</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Ошибка</translation>
    </message>
</context>
<context>
    <name>MapListCreator</name>
    <message>
        <source>OziExplorer map list creator</source>
        <translation>Список файлов привязки OziExplorer</translation>
    </message>
    <message>
        <source>Create list</source>
        <translation>Создать список</translation>
    </message>
    <message>
        <source>Write _MapList.csv with one line per map file of the folder</source>
        <translation>Записать _MapList.csv, по строке на каждый файл привязки папки</translation>
    </message>
    <message>
        <source>Select directory with OziExplorer map-files</source>
        <translation>Выберите папку с файлами привязки OziExplorer</translation>
    </message>
</context>
<context>
    <name>MapListRun</name>
    <message>
        <source>Map </source>
        <translation>Файл привязки </translation>
    </message>
    <message>
        <source> is not an OziExplorer map file</source>
        <translation> не является файлом привязки OziExplorer</translation>
    </message>
    <message>
        <source> is not listed: its </source>
        <translation> не внесён в список: его поле </translation>
    </message>
    <message>
        <source>&quot; holds characters that Windows-1251 cannot hold</source>
        <translation>&quot; содержит символы, которых нет в Windows-1251</translation>
    </message>
    <message>
        <source>Cannot write </source>
        <translation>Не удаётся записать </translation>
    </message>
    <message>
        <source>: the file is read-only</source>
        <translation>: файл только для чтения</translation>
    </message>
    <message>
        <source>Add to list </source>
        <translation>Добавление в список: </translation>
    </message>
</context>
<context>
    <name>Numeric</name>
    <message>
        <source>Overflow: the value is not a number</source>
        <translation>Переполнение: значение не является числом</translation>
    </message>
    <message>
        <source>Overflow: %1 does not fit in a 16-bit integer</source>
        <translation>Переполнение: %1 не помещается в 16-битное целое</translation>
    </message>
    <message>
        <source>Overflow: %1 does not fit in a 32-bit integer</source>
        <translation>Переполнение: %1 не помещается в 32-битное целое</translation>
    </message>
</context>
<context>
    <name>PathRemover</name>
    <message>
        <source>OziExplorer map image path remover</source>
        <translation>Удаление путей к изображениям в файлах привязки OziExplorer</translation>
    </message>
    <message>
        <source>Remove paths</source>
        <translation>Убрать пути</translation>
    </message>
    <message>
        <source>Strip the folder from the image path of every map file of the folder</source>
        <translation>Убрать папку из пути к изображению в каждом файле привязки папки</translation>
    </message>
    <message>
        <source>Select directory with OziExplorer map-files</source>
        <translation>Выберите папку с файлами привязки OziExplorer</translation>
    </message>
</context>
<context>
    <name>PathRemoverRun</name>
    <message>
        <source>Map </source>
        <translation>Файл привязки </translation>
    </message>
    <message>
        <source> is not an OziExplorer map file</source>
        <translation> не является файлом привязки OziExplorer</translation>
    </message>
    <message>
        <source> has no image path line</source>
        <translation> не содержит строки пути к изображению</translation>
    </message>
    <message>
        <source>Remove image path from </source>
        <translation>Удаление пути к изображению: </translation>
    </message>
</context>
<context>
    <name>RegularFile</name>
    <message>
        <source>it is a folder</source>
        <translation>это папка</translation>
    </message>
    <message>
        <source>it is not a regular file but a FIFO (named pipe)</source>
        <translation>это не обычный файл, а FIFO (именованный канал)</translation>
    </message>
    <message>
        <source>it is not a regular file but a character device</source>
        <translation>это не обычный файл, а символьное устройство</translation>
    </message>
    <message>
        <source>it is not a regular file but a block device</source>
        <translation>это не обычный файл, а блочное устройство</translation>
    </message>
    <message>
        <source>it is not a regular file but a socket</source>
        <translation>это не обычный файл, а сокет</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>это не обычный файл</translation>
    </message>
    <message>
        <source>the file is not open</source>
        <translation>файл не открыт</translation>
    </message>
</context>
<context>
    <name>ResultsList</name>
    <message>
        <source>The files of the run that were not simply done, and the counts at its end</source>
        <translation>Файлы запуска, с которыми что-то было не так, и итоги в конце</translation>
    </message>
    <message>
        <source>Results:</source>
        <translation>Результаты:</translation>
    </message>
    <message>
        <source>Save list…</source>
        <translation>Сохранить список…</translation>
    </message>
    <message>
        <source>Write the results list to a text file</source>
        <translation>Записать список результатов в текстовый файл</translation>
    </message>
    <message>
        <source>%1: skipped</source>
        <translation>%1: пропущен</translation>
    </message>
    <message>
        <source>%1: skipped: %2</source>
        <translation>%1: пропущен: %2</translation>
    </message>
    <message>
        <source>%1: failed</source>
        <translation>%1: ошибка</translation>
    </message>
    <message>
        <source>%1: failed: %2</source>
        <translation>%1: ошибка: %2</translation>
    </message>
    <message>
        <source>%1: warning</source>
        <translation>%1: предупреждение</translation>
    </message>
    <message>
        <source>%1: warning: %2</source>
        <translation>%1: предупреждение: %2</translation>
    </message>
    <message>
        <source>%1: made from the margins</source>
        <translation>%1: привязка по полям</translation>
    </message>
    <message>
        <source>%1: made from the margins: %2</source>
        <translation>%1: привязка по полям: %2</translation>
    </message>
    <message>
        <source>Written %1, unchanged %2, skipped %3, failed %4</source>
        <translation>Записано %1, без изменений %2, пропущено %3, с ошибкой %4</translation>
    </message>
    <message>
        <source>, stopped after %1 of %2</source>
        <translation>, остановлено после %1 из %2</translation>
    </message>
    <message>
        <source>results.txt</source>
        <translation>результаты.txt</translation>
    </message>
    <message>
        <source>Save the results list</source>
        <translation>Сохранить список результатов</translation>
    </message>
    <message>
        <source>Text files (*.txt);;All files (*)</source>
        <translation>Текстовые файлы (*.txt);;Все файлы (*)</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Ошибка</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>Не удаётся записать %1: %2</translation>
    </message>
</context>
<context>
    <name>ScanHeader</name>
    <message>
        <source>the JPEG of %1 x %2 pixels is stored in several scans (progressive): decoding it takes %3 MB, more than %4 MB</source>
        <translation>JPEG %1 x %2 пикс. записан в несколько проходов (прогрессивный): для декодирования нужно %3 МБ, больше %4 МБ</translation>
    </message>
    <message>
        <source>the TIFF&apos;s tiles of %1 x %2 pixels are too large to decode (at most %3 million pixels a tile)</source>
        <translation>плитки TIFF по %1 x %2 пикс. слишком велики для декодирования (не более %3 млн пикс. на плитку)</translation>
    </message>
    <message>
        <source>the TIFF&apos;s strips of %1 x %2 pixels are too large to decode (at most %3 million pixels a strip)</source>
        <translation>полосы TIFF по %1 x %2 пикс. слишком велики для декодирования (не более %3 млн пикс. на полосу)</translation>
    </message>
    <message>
        <source>cannot decode the image: its header gives no size</source>
        <translation>не удаётся декодировать изображение: заголовок не сообщает размер</translation>
    </message>
</context>
<context>
    <name>ScanPicture</name>
    <message>
        <source>the scan&apos;s data ends early: its lower part is missing</source>
        <translation>данные скана обрываются: его нижней части нет</translation>
    </message>
    <message>
        <source>the scan&apos;s data ends early: part of it is missing</source>
        <translation>данные скана обрываются: части его нет</translation>
    </message>
</context>
<context>
    <name>SheetCheck</name>
    <message>
        <source>Check calibration</source>
        <translation>Проверка привязки</translation>
    </message>
    <message>
        <source>Map files path: </source>
        <translation>Папка файлов привязки: </translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Обзор</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Открыть</translation>
    </message>
    <message>
        <source>Show the map files of this folder</source>
        <translation>Показать файлы привязки этой папки</translation>
    </message>
    <message>
        <source>Sheets</source>
        <translation>Листы</translation>
    </message>
    <message>
        <source>Coverage</source>
        <translation>Покрытие</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>Select directory with map files</source>
        <translation>Выберите папку с файлами привязки</translation>
    </message>
    <message>
        <source>Folder %1 is not exist</source>
        <translation>Папка %1 не существует</translation>
    </message>
    <message>
        <source>%1 map files, %2 need a look</source>
        <translation>Файлов привязки: %1, требуют проверки: %2</translation>
    </message>
    <message>
        <source>; thumbnails %1 of %2</source>
        <translation>; миниатюры: %1 из %2</translation>
    </message>
    <message>
        <source>; finding frames %1 of %2</source>
        <translation>; поиск рамок: %1 из %2</translation>
    </message>
</context>
<context>
    <name>SheetIdentity</name>
    <message>
        <source> Incorrect 1:1M map row in image name </source>
        <translation> Неверный ряд листа 1:1M в имени изображения </translation>
    </message>
    <message>
        <source> Incorrect 1:1M map column number in image name </source>
        <translation> Неверный номер колонны листа 1:1M в имени изображения </translation>
    </message>
    <message>
        <source> Incorrect </source>
        <translation> Неверный номер листа </translation>
    </message>
    <message>
        <source> map list number in image name </source>
        <translation> в имени изображения </translation>
    </message>
</context>
<context>
    <name>SheetListModel</name>
    <message>
        <source>not checked yet</source>
        <translation>ещё не проверен</translation>
    </message>
    <message>
        <source>
corners up to %1 px from the frame</source>
        <translation>
углы отстоят от рамки до %1 пикс.</translation>
    </message>
    <message>
        <source>no image</source>
        <translation>нет изображения</translation>
    </message>
    <message>
        <source>cannot decode</source>
        <translation>не декодируется</translation>
    </message>
    <message>
        <source>loading…</source>
        <translation>загрузка…</translation>
    </message>
    <message>
        <source>
thumbnail: %1</source>
        <translation>
миниатюра: %1</translation>
    </message>
</context>
<context>
    <name>SheetLocator</name>
    <message>
        <source>The point %1, %2 lies outside latitude -90..90 or longitude -180..180</source>
        <translation>Точка %1, %2 лежит вне широт -90..90 или долгот -180..180</translation>
    </message>
    <message>
        <source>Unknown scale %1</source>
        <translation>Неизвестный масштаб %1</translation>
    </message>
    <message>
        <source>The series has no sheet at latitude %1 (rows A..V end at 88 degrees)</source>
        <translation>В разграфке нет листа на широте %1 (ряды A..V заканчиваются на 88°)</translation>
    </message>
    <message>
        <source>No sheet at %1 holds the point %2, %3</source>
        <translation>Ни один лист масштаба %1 не содержит точку %2, %3</translation>
    </message>
</context>
<context>
    <name>SheetName</name>
    <message>
        <source>1:1M row and column</source>
        <translation>ряд и колонна 1:1M</translation>
    </message>
    <message>
        <source>1:500K letter written as a digit</source>
        <translation>буква 1:500K, записанная цифрой</translation>
    </message>
    <message>
        <source>1:500K letter</source>
        <translation>буква 1:500K</translation>
    </message>
    <message>
        <source>two-digit 1:200K number</source>
        <translation>двузначный номер 1:200K</translation>
    </message>
    <message>
        <source>1:200K Roman numeral</source>
        <translation>римский номер 1:200K</translation>
    </message>
    <message>
        <source>three-digit list number</source>
        <translation>трёхзначный номер листа</translation>
    </message>
    <message>
        <source>official list number without leading zeros</source>
        <translation>официальный номер листа без ведущих нулей</translation>
    </message>
    <message>
        <source>1:200K number</source>
        <translation>номер 1:200K</translation>
    </message>
    <message>
        <source>1:100K number</source>
        <translation>номер 1:100K</translation>
    </message>
    <message>
        <source>, letters written as digits</source>
        <translation>, буквы записаны цифрами</translation>
    </message>
    <message>
        <source>, scale prefix %1</source>
        <translation>, приставка масштаба %1</translation>
    </message>
    <message>
        <source>, doubled sheets</source>
        <translation>, сдвоенные листы</translation>
    </message>
    <message>
        <source>, then &quot;%1&quot;</source>
        <translation>, затем «%1»</translation>
    </message>
    <message>
        <source>its name reads two ways: it was taken as %1 (%2); it may also be %3 (%4), which the scale %5 gives</source>
        <translation>имя читается двояко: взят %1 (%2); это может быть и %3 (%4), его даёт масштаб %5</translation>
    </message>
    <message>
        <source>only the beginning of its name reads as a sheet name: it was taken as %1</source>
        <translation>номенклатурой листа читается только начало имени: взят %1</translation>
    </message>
    <message>
        <source>%1 sheet %2</source>
        <translation>лист %1 %2</translation>
    </message>
</context>
<context>
    <name>SheetRecord</name>
    <message>
        <source>not an OziExplorer map file</source>
        <translation>не файл привязки OziExplorer</translation>
    </message>
</context>
<context>
    <name>SheetText</name>
    <message>
        <source>Overflow: %1 is not a number of degrees</source>
        <translation>Переполнение: %1 — не число градусов</translation>
    </message>
</context>
<context>
    <name>SheetVerdict</name>
    <message>
        <source>ok</source>
        <translation>в порядке</translation>
    </message>
    <message>
        <source>off-frame</source>
        <translation>мимо рамки</translation>
    </message>
    <message>
        <source>no-frame</source>
        <translation>нет рамки</translation>
    </message>
    <message>
        <source>implausible</source>
        <translation>неправдоподобно</translation>
    </message>
    <message>
        <source>no-image</source>
        <translation>нет изображения</translation>
    </message>
    <message>
        <source>north-west</source>
        <translation>северо-западный</translation>
    </message>
    <message>
        <source>north-east</source>
        <translation>северо-восточный</translation>
    </message>
    <message>
        <source>south-east</source>
        <translation>юго-восточный</translation>
    </message>
    <message>
        <source>south-west</source>
        <translation>юго-западный</translation>
    </message>
    <message>
        <source>the %1 corner (%2, %3) lies outside the image (%4 x %5)</source>
        <translation>%1 угол (%2, %3) лежит вне изображения (%4 x %5)</translation>
    </message>
    <message>
        <source>the corners collapse onto one another</source>
        <translation>углы сливаются друг с другом</translation>
    </message>
    <message>
        <source>the frame outline through the corners crosses itself</source>
        <translation>контур рамки по углам пересекает сам себя</translation>
    </message>
    <message>
        <source>the map names no image</source>
        <translation>в файле привязки не указано изображение</translation>
    </message>
    <message>
        <source>the image %1 is not beside the map file</source>
        <translation>изображения %1 нет рядом с файлом привязки</translation>
    </message>
    <message>
        <source>fewer than 4 calibration points with pixel positions</source>
        <translation>меньше 4 точек привязки с пиксельными координатами</translation>
    </message>
    <message>
        <source>the frame was not found</source>
        <translation>рамка не найдена</translation>
    </message>
    <message>
        <source>a map corner lies %1 px from the frame (at most %2 px is taken)</source>
        <translation>угол привязки отстоит от рамки на %1 пикс. (допускается не более %2 пикс.)</translation>
    </message>
    <message>
        <source>the frame cannot be looked for: </source>
        <translation>рамку нельзя искать: </translation>
    </message>
    <message>
        <source>no frame finder</source>
        <translation>поиск рамки недоступен</translation>
    </message>
</context>
<context>
    <name>ToolWindow</name>
    <message>
        <source>Stop</source>
        <translation>Стоп</translation>
    </message>
    <message>
        <source>End the run before the next file</source>
        <translation>Остановить работу перед следующим файлом</translation>
    </message>
    <message>
        <source>Stop the run? %1 of %2 files done.</source>
        <translation>Остановить работу? Обработано файлов: %1 из %2.</translation>
    </message>
    <message>
        <source>%1 / %2</source>
        <translation>%1 / %2</translation>
    </message>
</context>
<context>
    <name>Translations</name>
    <message>
        <source>The language changes when Quillmark is started again.</source>
        <translation>Язык сменится при следующем запуске Quillmark.</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Язык</translation>
    </message>
</context>
</TS>
