-- The empty class database from which every working copy is made: the four tables, the
-- course products and one class for every class id a product block can give (0..77).
-- Statements end with a semicolon at the end of a line.

CREATE TABLE Product (
    ProductID   INTEGER PRIMARY KEY,
    ProductName TEXT NOT NULL,
    ClassBase   INTEGER NOT NULL UNIQUE
);

CREATE TABLE Class (
    ClassID   INTEGER PRIMARY KEY,
    ClassName TEXT,
    ClassYear TEXT,
    Grade     TEXT,
    Educator  TEXT,
    ProductID INTEGER NOT NULL REFERENCES Product(ProductID)
);

CREATE TABLE Student (
    StudentID    INTEGER PRIMARY KEY AUTOINCREMENT,
    StudentName  TEXT NOT NULL,
    ComputerName TEXT NOT NULL,
    ClassID      INTEGER NOT NULL REFERENCES Class(ClassID),
    Password     TEXT
);

CREATE INDEX StudentByName ON Student (StudentName, ComputerName);

CREATE TABLE Lesson (
    StudentID    INTEGER NOT NULL REFERENCES Student(StudentID),
    LessonNumber INTEGER NOT NULL,
    LessonName   TEXT,
    Difficulty   TEXT,
    TotExercises INTEGER,
    LLevel       REAL,
    Average      REAL,
    HighestLevel REAL,
    Attempts     REAL,
    PRIMARY KEY (StudentID, LessonNumber)
);

INSERT INTO Product (ProductID, ProductName, ClassBase) VALUES
    (1, 'Sopranel 2.1', 0),
    (2, 'Tonvale 1.2', 11),
    (3, 'Ostrelle', 22),
    (4, 'Vantrique', 33),
    (5, 'Meldorac', 44),
    (6, 'Quelsary', 55),
    (7, 'Dornavel', 66),
    (8, 'Other', 77);

-- Each block's first id is its product's "Default" class, then "Class 1" to "Class 10".
WITH RECURSIVE ids(id) AS (SELECT 0 UNION ALL SELECT id + 1 FROM ids WHERE id < 77)
INSERT INTO Class (ClassID, ClassName, ClassYear, Grade, Educator, ProductID)
SELECT id,
       CASE WHEN id % 11 = 0 THEN 'Default' ELSE 'Class ' || (id % 11) END,
       '', '', '', id / 11 + 1
FROM ids;
